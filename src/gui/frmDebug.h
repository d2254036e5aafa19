#pragma once

#include <QWidget>
#include <string>

#include "core/link/TraceBox.h"

class QPlainTextEdit;

namespace rq::gui {

// The traffic log: one line per frame, newest first. Close only hides it, so the log goes on filling.
class frmDebug final : public QWidget {
    Q_OBJECT

  public:
    explicit frmDebug(QWidget* parent = nullptr);

    void appendEntry(const std::string& entry);
    int lineCount() const { return box_.lineCount(); }

  private:
    void cmdClearClicked();

    TraceBox box_;
    QPlainTextEdit* txtDebugText_;
};

}  // namespace rq::gui
