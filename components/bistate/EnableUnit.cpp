#include "EnableUnit.h"
#include "ui_EnableUnit.h"

#include "TBistateUnit.h"

TEnableForm::TEnableForm(QWidget *parent) : QWidget(parent), ui(new Ui::TEnableForm)
{
    ui->setupUi(this);
    // A borderless page in the designer's window, in the button-face colour.
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, KrColor(clBtnFace));
    setPalette(pal);
    // The captions come from the form through the translation of the
    // library's satellite (context "TEnableForm").
    ConnectHandlers();
}

TEnableForm::~TEnableForm()
{
    delete ui;
}

void TEnableForm::ConnectHandlers()
{
    connect(ui->EnableOnAction, &QCheckBox::clicked, this, &TEnableForm::EnableOnActionClick);
    connect(ui->EnableOffAction, &QCheckBox::clicked, this, &TEnableForm::EnableOffActionClick);
    connect(ui->EnableErrorAction, &QCheckBox::clicked, this, &TEnableForm::EnableErrorActionClick);
    connect(ui->EnableFloorRelation, &QCheckBox::clicked, this, &TEnableForm::EnableFloorRelationClick);
    connect(ui->EnableVariableLink, &QCheckBox::clicked, this, &TEnableForm::EnableVariableLinkClick);
    connect(ui->EnableFloorPhysId, &QCheckBox::clicked, this, &TEnableForm::EnableFloorPhysIdClick);
}

void TEnableForm::DisconnectHandlers()
{
    disconnect(ui->EnableOnAction, &QCheckBox::clicked, this, &TEnableForm::EnableOnActionClick);
    disconnect(ui->EnableOffAction, &QCheckBox::clicked, this, &TEnableForm::EnableOffActionClick);
    disconnect(ui->EnableErrorAction, &QCheckBox::clicked, this, &TEnableForm::EnableErrorActionClick);
    disconnect(ui->EnableFloorRelation, &QCheckBox::clicked, this, &TEnableForm::EnableFloorRelationClick);
    disconnect(ui->EnableVariableLink, &QCheckBox::clicked, this, &TEnableForm::EnableVariableLinkClick);
    disconnect(ui->EnableFloorPhysId, &QCheckBox::clicked, this, &TEnableForm::EnableFloorPhysIdClick);
}

void TEnableForm::Load(TKRBistate *symbol)
{
    m_symbol = symbol;
    DisconnectHandlers();
    const bool on = symbol != nullptr;
    ui->EnableOnAction->setChecked(on && symbol->GetEnableOnAction());
    ui->EnableOffAction->setChecked(on && symbol->GetEnableOffAction());
    ui->EnableErrorAction->setChecked(on && symbol->GetEnableErrorAction());
    ui->EnableFloorRelation->setChecked(on && symbol->GetEnableFloorRelation());
    ui->EnableVariableLink->setChecked(on && symbol->GetEnableVariableLink());
    ui->EnableFloorPhysId->setChecked(on && symbol->GetEnableFloorPhysId());
    ConnectHandlers();
}

void TEnableForm::Apply(QCheckBox *box, void (TKRBistate::*setter)(bool))
{
    if (!m_symbol)
        return;
    QPointer<TKRBistate> symbol = m_symbol;
    (symbol.data()->*setter)(box->isChecked());
    if (symbol)
        symbol->GrundI()->AddUndo();
}

void TEnableForm::EnableOnActionClick()
{
    Apply(ui->EnableOnAction, &TKRBistate::SetEnableOnAction);
}

void TEnableForm::EnableOffActionClick()
{
    Apply(ui->EnableOffAction, &TKRBistate::SetEnableOffAction);
}

void TEnableForm::EnableErrorActionClick()
{
    Apply(ui->EnableErrorAction, &TKRBistate::SetEnableErrorAction);
}

void TEnableForm::EnableFloorRelationClick()
{
    Apply(ui->EnableFloorRelation, &TKRBistate::SetEnableFloorRelation);
}

void TEnableForm::EnableVariableLinkClick()
{
    Apply(ui->EnableVariableLink, &TKRBistate::SetEnableVariableLink);
}

void TEnableForm::EnableFloorPhysIdClick()
{
    Apply(ui->EnableFloorPhysId, &TKRBistate::SetEnableFloorPhysId);
}
