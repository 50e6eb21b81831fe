#pragma once
// Small stand-ins for toolkit controls that Qt has no direct equivalent of:
// a picture that can be clicked (TImage) and a group of radio items with an
// item index (TRadioGroup).
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QStringList>
#include <functional>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

// A picture named by Picture. The pixmap comes from the program's picture factory:
// when one is registered with setPictureProvider, setting Picture loads it; setPixmap
// sets a pixmap directly. A left click (press and release inside) fires OnClick.
class TImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Picture READ Picture WRITE setPicture)
public:
    using PictureProvider = std::function<QPixmap(const QString &name)>;

    explicit TImage(QWidget *parent = nullptr);
    QString Picture() const { return m_picture; }
    // Stores the name and, when a provider is registered, shows its pixmap.
    void setPicture(const QString &name);

    // Registers the function that turns picture names into pixmaps for all images
    // (an empty function removes it). Images created before keep their pixmaps.
    static void setPictureProvider(PictureProvider provider);
    static bool hasPictureProvider();

signals:
    void OnClick(QObject *sender);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_picture;
    bool m_pressed = false;
};

// A group box with one radio button per item, stacked vertically. ItemIndex is the
// checked item, -1 for none. Setting ItemIndex by code fires nothing; an operator's
// click on an item checks it and fires OnClick.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
public:
    explicit TRadioGroup(QWidget *parent = nullptr);
    QStringList Items() const { return m_items; }
    // Replaces the items; the item index stays when it is still an item, else -1.
    void setItems(const QStringList &items);
    int ItemIndex() const { return m_itemIndex; }
    // index -1 (or any index that is not an item) leaves no item checked. An index set
    // while there are no items yet takes effect when the items come.
    void setItemIndex(int index);

    int count() const { return int(m_items.size()); }
    QString itemText(int index) const;
    // Changes the text of one item in place (for translation); other indexes are ignored.
    void setItemText(int index, const QString &text);
    // The radio button of an item, nullptr for other indexes.
    QRadioButton *button(int index) const;

signals:
    void OnClick(QObject *sender);

private:
    void rebuildButtons();
    void applyItemIndex();
    void buttonClicked(int index);

    QStringList m_items;
    int m_itemIndex = -1;
    int m_pendingIndex = -1; // index set while there were no items yet
    QVBoxLayout *m_layout = nullptr;
    QButtonGroup *m_group = nullptr;
    QList<QRadioButton *> m_buttons;
};
