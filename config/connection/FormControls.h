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

    // The control of that name and type; aborts loudly in debug builds when absent,
    // returns nullptr otherwise so that a missing partner makes a call do nothing.
    template <class T> T *get(const QString &name) const
    {
        T *result = qobject_cast<T *>(object(name));
        Q_ASSERT_X(result, "FormControls::get", qPrintable(name));
        return result;
    }

private:
    QHash<QString, QPointer<QObject>> m_objects;
};
