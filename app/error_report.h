// The default error report: the one place where an error of a request is caught and shown to the
// user, in a modal box once the failing event has returned.
#pragma once

#include <QString>
#include <exception>
#include <functional>

class QObject;
class QWidget;

namespace rivo::app {

// The text the box shows for an error: its message, with the closing full stop added when the
// last character sorts after ".".
QString ErrorReportText(const std::exception& error);

// Runs one request of the window and returns whether it completed. Whatever it throws is caught
// here, so no exception leaves an event handler; the report is queued on `context` and shown
// after the failing event's handler has returned. Nothing the request changed is undone.
bool RunRequest(QObject* context, const std::function<void()>& request) noexcept;

// The modal box: the application title as caption, an error icon, the message with its closing
// full stop (as ErrorReportText) and one OK button. Returns when the user has closed it.
void ShowErrorReport(QWidget* parent, const QString& message);

}  // namespace rivo::app
