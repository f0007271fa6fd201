#include "app/picker/GradientErrors.h"

#include "app/widgets/Dialogs.h"
#include "draw/gradient/GradientRenderer.h"

#include <QTimer>

namespace {

// The text a message box shows for an error of the gradient code.
QString gradientErrorText(ErrorCode code)
{
    if (code == ErrorCode::Overflow)
        return QStringLiteral("溢出");
    if (code == OutOfMemoryError)
        return QStringLiteral("内存溢出");
    return QStringLiteral("应用程序定义的错误或对象定义的错误");
}

} // namespace

void reportGradientError(ErrorCode code)
{
    if (code != ErrorCode::None)
        MsgBox(gradientErrorText(code), vbExclamation, QStringLiteral("GradientRect.cls"));
}

void reportPickerError(QWidget* owner, ErrorCode code)
{
    if (code != ErrorCode::None)
        MsgBox(gradientErrorText(code), vbExclamation, QString(), owner);
}

void reportAfterThisEvent(QObject* context, std::function<void()> report)
{
    QTimer::singleShot(0, context, std::move(report));
}
