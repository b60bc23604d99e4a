#pragma once
// Answers the wizard's message boxes (and other modal dialogs) as a user
// would, so no test is ever left waiting on one. It polls from the event
// loop, which keeps running inside every modal exec().
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class CMessageBoxAnswerer : public QObject {
public:
    CMessageBoxAnswerer()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start();
    }

    // The next boxes get these buttons, in order; after that Yes or OK.
    void Queue(QMessageBox::StandardButton answer) { answers_.push_back(answer); }

    // Called with every other modal dialog that opens (password, completion).
    void OnOtherDialog(std::function<void(QWidget*)> handler) { otherDialog_ = std::move(handler); }

    const std::vector<QString>& Texts() const { return texts_; }
    int Count() const { return static_cast<int>(texts_.size()); }
    QString Last() const { return texts_.empty() ? QString() : texts_.back(); }
    void Clear() { texts_.clear(); }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // A mark on the widget itself: boxes on the stack often reuse an address.
        if (!modal || !modal->isVisible() || modal->property("pwAnswered").toBool())
            return;
        modal->setProperty("pwAnswered", true);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts_.push_back(box->text());
            QMessageBox::StandardButton answer = QMessageBox::NoButton;
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            } else {
                answer = box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
            }
            // Clicked later, from the box's own event loop.
            QTimer::singleShot(0, box, [box, answer] {
                if (QAbstractButton* button = box->button(answer))
                    button->click();
            });
        } else if (otherDialog_) {
            QWidget* dialog = modal;
            QTimer::singleShot(0, dialog, [this, dialog] { otherDialog_(dialog); });
        }
    }

    QTimer timer_;
    std::deque<QMessageBox::StandardButton> answers_;
    std::vector<QString> texts_;
    std::function<void(QWidget*)> otherDialog_;
};
