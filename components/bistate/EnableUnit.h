#pragma once
// Unit EnableUnit: TEnableForm, the property page of the two-state symbol. Its
// six check boxes switch the symbol's optional parts on and off: each click
// writes the box's tick mark to the matching property of the symbol (which
// creates or frees that part) and records one undo step.

#include <QPointer>
#include <QWidget>

namespace Ui {
class TEnableForm;
}
class QCheckBox;
class TKRBistate;

class TEnableForm : public QWidget {
    Q_OBJECT
public:
    explicit TEnableForm(QWidget *parent = nullptr);
    ~TEnableForm() override;

    // Takes the symbol and shows its settings; changes nothing in the symbol.
    void Load(TKRBistate *symbol);
    TKRBistate *Symbol() const { return m_symbol; }

    // Click handlers of the six boxes.
    void EnableOnActionClick();
    void EnableOffActionClick();
    void EnableErrorActionClick();
    void EnableFloorRelationClick();
    void EnableVariableLinkClick();
    void EnableFloorPhysIdClick();

private:
    void ConnectHandlers();
    void DisconnectHandlers();
    // Writes the box's tick mark to the symbol with setter, then one undo step.
    void Apply(QCheckBox *box, void (TKRBistate::*setter)(bool));

    Ui::TEnableForm *ui;
    QPointer<TKRBistate> m_symbol;
};
