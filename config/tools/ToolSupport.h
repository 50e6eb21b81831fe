#pragma once
// What the tool windows share: their captions through the program's translator and
// their place on the screen kept between runs in the program's settings.
#include <QString>
#include <functional>

class DialogService;
class QWidget;
class TfrmKR715Config;

namespace krtools {

using Translate = std::function<QString(const QString &)>;

// The translator of the main window as a function (the text itself without one).
Translate translatorOf(TfrmKR715Config &main);

// Translates the window title and the texts of every label, button, check box, group
// box and list entry of a form, once, after its setup.
void translateForm(QWidget *form, const Translate &translate);

// Settings names: prefix + "Left", "Top", "Width", "Height" in the program's section
// (no key), as the network-variable view keeps its place.
void restorePlace(QWidget *window, const QString &section, const QString &prefix);
void savePlace(QWidget *window, const QString &section, const QString &prefix);

// Tells the operator that a file of a tool could not be written: its path and why.
void warnNotWritten(DialogService &dialogs, QWidget *parent, const Translate &translate, const QString &path,
                    const QString &error);

} // namespace krtools
