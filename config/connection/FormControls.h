#pragma once
// Every named control of the program's windows, reachable by its object name.
// Tab modules register their controls here once at creation; a module that needs a
// control of another module asks for it by name instead of holding a pointer web.
// The registry keeps working when a tab panel floats out into its own window.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class FormControls {
public:
    // Registers root and every named QObject below it.
    void addTree(QObject *root);
    void add(QObject *object);

    QObject *object(const QString &name) const;
    bool contains(const QString &name) const { return m_objects.contains(name); }
    QStringList names() const { return m_objects.keys(); }

    // The control of that name and type, or nullptr when there is none: a lookup may
    // miss, in every build, and callers check. Controls of another window are there only
    // once that window exists (the calibration dialog is created after the main window,
    // whose creation already runs the handlers that look for its unit label), and a
    // form used on its own (a tab in a test) holds only its own controls. A missing
    // partner makes a call do nothing.
    template <class T> T *get(const QString &name) const { return qobject_cast<T *>(object(name)); }

private:
    QHash<QString, QPointer<QObject>> m_objects;
};
