#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/RecordingView.h"

namespace rq::test {

// Answers the modal windows the program opens, as a user would: every message box with OK is read and
// closed with OK; any other modal window is given to the next of the queued handlers.
class ModalAnswerer : public QObject {
  public:
    using Message = RecordingView::Message;  // the hint is the informative text under it
    using Handler = std::function<void(QWidget*)>;

    ModalAnswerer() {
        connect(&poll_, &QTimer::timeout, this, &ModalAnswerer::answer);
        poll_.start(5);
    }

    void then(Handler handler) { handlers_.push_back(std::move(handler)); }
    bool allHandled() const { return handlers_.empty(); }

    std::vector<Message> messages;

  private:
    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == handled_) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->button(QMessageBox::Ok)) {
            messages.push_back({box->windowTitle().toStdString(), box->text().toStdString(),
                                box->informativeText().toStdString()});
            box->button(QMessageBox::Ok)->click();
            return;
        }
        if (handlers_.empty()) return;
        handled_ = modal;
        // Run outside this timer's slot, so that boxes the handler opens are answered too.
        QTimer::singleShot(0, modal, [modal, handler = std::move(handlers_.front())] { handler(modal); });
        handlers_.pop_front();
    }

    QTimer poll_;
    QPointer<QWidget> handled_;
    std::deque<Handler> handlers_;
};

}  // namespace rq::test
