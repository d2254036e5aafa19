#pragma once

#include <QDialog>

#include "core/io/WizardView.h"

class QComboBox;
class QLabel;

namespace rq::gui {

// The communication settings dialog. Modeless: it answers through its signals, and the window passes
// the answer on to the wizard. Closing it any other way than Set counts as Cancel.
class frmPortConf final : public QDialog {
    Q_OBJECT

  public:
    explicit frmPortConf(QWidget* parent = nullptr);

    // Fills the lists and their preselection as the wizard loaded them.
    void load(const PortConfModel& model);
    // Shows it, centred on the screen.
    void showCentred();
    void reject() override;

  signals:
    void setClicked(const rq::PortConfSelection& selection);
    void cancelled();

  private:
    void cmdSetClicked();
    PortConfSelection selection() const;

    QComboBox* cmbComPort_;
    QComboBox* cmbCommBaudrate_;
    QComboBox* cmbUpBaudrate_;
    QComboBox* cmbDataBits_;
    QComboBox* cmbParity_;
    QComboBox* cmbStopBits_;
    QComboBox* cmbFlowCtl_;
    QLabel* lblPortHint_;
};

}  // namespace rq::gui
