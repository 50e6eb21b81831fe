#pragma once
// The program's pictures, drawn at run time at the size they are shown in.
//
// Every picture control of the main window and its dialogs is named after what it
// shows (imgGenKR715, imgDataOut2On, imgOut3PIEks, ...); krPicture draws the
// picture that belongs to such a name. The picture buttons of the Config tab
// (bbConLoadE1_8, bbConSaveE1_8) get their icons the same way. A few generic
// names ("LampOn", "LampOff", "ArrowLeft", "ArrowRight", "ArrowDown", "HelpCursor",
// "OpenFile", "SaveFile") are accepted as well.

#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

// The picture of that name, size.width() × size.height() pixels with a transparent
// background. An unknown name gives a fully transparent pixmap of the size; an
// empty size gives a null pixmap.
QPixmap krPicture(const QString &name, const QSize &size);

// True when krPicture draws something for the name.
bool krHasPicture(const QString &name);

// Every name krPicture knows, control names first.
QStringList krPictureNames();

// Gives every picture control below root (root included) its picture: each TImage
// shows krPicture of its Picture name (its object name when that is empty) at its
// own size, and each button named after a picture (bbConLoadE1_8, ...) gets it as
// icon at its icon size. Run again after pictures have been resized.
void krApplyPictures(QWidget *root);
