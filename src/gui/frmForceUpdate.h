#pragma once

#include <QDialog>
#include <optional>

#include "core/io/WizardView.h"

class QComboBox;
class QLineEdit;

namespace rq::gui {

// The model and serial dialog of the forced update. Set closes it only for an entry the wizard takes.
class frmForceUpdate final : public QDialog {
    Q_OBJECT

  public:
    explicit frmForceUpdate(QWidget* parent = nullptr);

    // What Set accepted; nullopt after Cancel.
    const std::optional<ModelSerialEntry>& entry() const { return entry_; }

  private:
    void cmdSetClicked();

    QComboBox* cboModel_;
    QLineEdit* txtSerial_;
    std::optional<ModelSerialEntry> entry_;
};

}  // namespace rq::gui
