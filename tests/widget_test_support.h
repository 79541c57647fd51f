// Helpers of the widget tests: the picture a window shows, a watcher that records and closes
// the modal message box a test expects, and environment variables set for one test.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/frm_gorsek_circle.h"

namespace rivo::testing {

// The picture IM shows, in the painter's format; a null image while it shows none.
inline QImage ShownPicture(const app::Tfrm_gorsek& window) {
    const QPixmap shown = window.IM->pixmap();
    if (shown.isNull()) return {};
    return shown.toImage().convertToFormat(QImage::Format_RGB32);
}

// What a modal message box showed, recorded by the watcher that closed it with its OK button.
struct SeenBox {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    int buttons = 0;
    bool ok = false;  // the one button is OK
    bool modal = false;
};

// Watches for the application's active modal widget and closes the first message box it sees
// with a queued click on its OK button (or, without one, by ending it), so a test never hangs.
class ModalBoxWatcher {
  public:
    ModalBoxWatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || seen_) return;
            SeenBox seen;
            seen.caption = box->windowTitle();
            seen.icon = box->icon();
            seen.text = box->text();
            seen.buttons = static_cast<int>(box->buttons().size());
            seen.ok = box->standardButtons() == QMessageBox::Ok;
            seen.modal = box->isModal();
            seen_ = seen;
            QMetaObject::invokeMethod(
                box,
                [box] {
                    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
                        ok->click();
                    } else {
                        box->done(0);
                    }
                },
                Qt::QueuedConnection);
        });
        timer_.start(10);
    }

    // Waits until a box has been seen and closed again.
    std::optional<SeenBox> Wait() {
        const bool closed = QTest::qWaitFor(
            [this] { return seen_ && QApplication::activeModalWidget() == nullptr; }, 5000);
        return closed ? seen_ : std::nullopt;
    }

    bool Seen() const { return seen_.has_value(); }

  private:
    QTimer timer_;
    std::optional<SeenBox> seen_;
};

// Sets or removes environment variables for one test and puts the old values back.
class EnvironmentScope {
  public:
    void Set(const char* name, const std::string& value) {
        Save(name);
        setenv(name, value.c_str(), 1);
    }
    ~EnvironmentScope() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                unsetenv(it->first.c_str());
            }
        }
    }

  private:
    void Save(const char* name) {
        const char* value = std::getenv(name);
        saved_.emplace_back(name,
                            value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace rivo::testing
