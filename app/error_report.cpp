#include "app/error_report.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <new>
#include <string>

#include "expr/error.h"
#include "expr/text.h"

namespace rivo::app {

namespace {

QString ReportText(std::string message) {
    return QString::fromStdString(expr::WithFullStop(std::move(message)));
}

void QueueReport(QObject* context, const QString& text) {
    QPointer<QWidget> parent = qobject_cast<QWidget*>(context);
    QMetaObject::invokeMethod(
        context, [parent, text] { ShowErrorReport(parent, text); }, Qt::QueuedConnection);
}

}  // namespace

QString ErrorReportText(const std::exception& error) {
    // Running out of memory inside the pipeline means the expression was too large for it.
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return ReportText(expr::kTooLargeMessage);
    }
    return ReportText(error.what());
}

bool RunRequest(QObject* context, const std::function<void()>& request) noexcept {
    try {
        request();
        return true;
    } catch (const std::exception& error) {
        QueueReport(context, ErrorReportText(error));
    } catch (...) {
        QueueReport(context, ReportText("Unexpected error"));
    }
    return false;
}

void ShowErrorReport(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace rivo::app
