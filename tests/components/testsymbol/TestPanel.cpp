#include "TestPanel.h"
#include "FramedPicture.h"

#include "KrComponentEntry.h"
#include "Krfiler.h"

#include <QPainter>

KR_SYMBOL_CLASS(TKRTestPanel)

TKRTestPanel::TKRTestPanel(TKrComponent *owner) : TKrCustomDrawingControl(owner)
{
    resize(200, 150);
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
    m_frame = new TKRFrame(this);
    m_frame->SetName(QStringLiteral("Frame"));
}

void TKRTestPanel::Paint()
{
    paintFramedPicture(*this, *m_frame, *m_image);
}

void TKRTestPanel::SaveToStream(TSymbolStream &stream, QStringList &files)
{
    TKrCustomDrawingControl::SaveToStream(stream, files);
    TKrFilerWriter w(stream);
    w.WriteStringList(m_names);
    w.WriteInteger(m_index);
    m_image->SaveToStream(stream);
    m_frame->SaveToStream(stream);
}

void TKRTestPanel::InitFromStream(TSymbolStream &stream)
{
    TKrCustomDrawingControl::InitFromStream(stream);
    TKrFilerReader r(stream);
    m_names = r.ReadStringList();
    m_loadedIndex = r.NextIsInteger() ? r.ReadInteger() : -1;
    KrReadElement(stream, m_image);
    KrReadElement(stream, m_frame);
}
