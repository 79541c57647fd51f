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

// The one place where a report gets its closing full stop.
QString ReportText(std::string message) {
    return QString::fromStdString(expr::WithFullStop(std::move(message)));
}

std::string ErrorMessage(const std::exception& error) {
    // Running out of memory inside the pipeline means the expression was too large for it.
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return expr::kTooLargeMessage;
    return error.what();
}

void QueueReport(QObject* context, const QString& message) {
    QPointer<QWidget> parent = qobject_cast<QWidget*>(context);
    QMetaObject::invokeMethod(
        context, [parent, message] { ShowErrorReport(parent, message); }, Qt::QueuedConnection);
}

}  // namespace

QString ErrorReportText(const std::exception& error) {
    return ReportText(ErrorMessage(error));
}

bool RunRequest(QObject* context, const std::function<void()>& request) noexcept {
    try {
        request();
        return true;
    } catch (const std::exception& error) {
        QueueReport(context, QString::fromStdString(ErrorMessage(error)));
    } catch (...) {
        QueueReport(context, QStringLiteral("Unexpected error"));
    }
    return false;
}

void ShowErrorReport(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    ReportText(message.toStdString()), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace rivo::app
