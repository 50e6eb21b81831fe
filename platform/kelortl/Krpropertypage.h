#pragma once
// A small property page built from a list of fields bound to the Q_PROPERTYs of
// an object. Every edit is written to the property at once and reported through
// the page's edited callback (the element repaints its symbol and records an
// undo step).

#include "KrGlobal.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>
#include <functional>

struct KRTL_EXPORT TKrPropField {
    enum Kind {
        Auto,       // editor by the property's type
        Choice,     // an integer (or boolean) chosen from choices by index
        Color,      // a TColor
        File,       // a file name, with a browse button
        MultiLine,  // a text of several lines (or a string list, one item a line)
    };
    QByteArray property;
    QString caption;
    Kind kind = Auto;
    QStringList choices;   // Choice
    QString filter;        // File: the dialog's filter
    double minimum = -1e9; // numbers
    double maximum = 1e9;
};

class KRTL_EXPORT TKrPropertyPage : public QWidget {
    Q_OBJECT
public:
    TKrPropertyPage(QObject *target, const QList<TKrPropField> &fields, std::function<void()> edited, QWidget *parent);

    // Reloads every editor from the target's properties.
    void Reload();
    // The editor of a property (for tests and for pages that add to it).
    QWidget *Editor(const QByteArray &property) const;

private:
    void Apply(const QByteArray &property, const QVariant &value);

    QObject *m_target;
    QList<TKrPropField> m_fields;
    std::function<void()> m_edited;
    QList<QPair<QByteArray, QWidget *>> m_editors;
    bool m_loading = false;
};
