#pragma once
// Fills the setting lists of a configuration tab and their captions from the
// widget-free table of SettingWords (entries, value codes, labels, group titles).
// Called right after the tab's form is set up, before any handler is connected.

class QWidget;

void applySettingWords(QWidget *form);
