#include "FormControls.h"

void FormControls::add(QObject *object)
{
    if (object && !object->objectName().isEmpty())
        m_objects.insert(object->objectName(), object);
}

void FormControls::addTree(QObject *root)
{
    if (!root)
        return;
    add(root);
    const auto children = root->findChildren<QObject *>();
    for (QObject *child : children) {
        // Qt's own helper objects (layouts, private children) carry names starting
        // with "qt_"; they are not controls of the form.
        if (!child->objectName().startsWith(QLatin1String("qt_")))
            add(child);
    }
}

QObject *FormControls::object(const QString &name) const
{
    return m_objects.value(name).data();
}
