#include "app/widgets/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// Runs Qt's own colour dialog (never the native one) modally over the owner.
std::optional<QColor> runColourDialog(QWidget* owner, std::optional<QColor> initial,
                                      const std::array<std::uint32_t, 16>* customColours)
{
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        const std::uint32_t value = customColours && i < 16 ? (*customColours)[size_t(i)] : 0u;
        QColorDialog::setCustomColor(i, Colour(value).toQColor());
    }
    QColorDialog dialog(owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    // Blocks the window that asked, not the program's other windows.
    dialog.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setCurrentColor(initial.value_or(QColor(Qt::black)));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

// The icon bits of a message box style: 16 critical, 32 question, 48 warning, 64 information.
QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Title-bar room beside the text: the frame's icon and its close, maximise and minimise buttons.
constexpr int titleBarDecoration = 160;

// Message boxes size themselves to their text; a spacer across the bottom keeps the box at
// least as wide as its title needs.
void keepTitleWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(messageBoxTitleWidth(box.windowTitle()), 0, QSizePolicy::Fixed,
                                  QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

int messageBoxTitleWidth(const QString& title)
{
    // Window managers draw titles in a bold face, usually no smaller than the program's own.
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    return QFontMetrics(font).horizontalAdvance(title) + titleBarDecoration;
}

void MsgBox(const QString& text, int style, const QString& title, QWidget* owner)
{
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setWindowModality(box.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(text);
    box.setIcon(iconOf(style));
    box.setStandardButtons(QMessageBox::Ok);
    keepTitleWhole(box);
    box.exec();
}

void showWarningBox(QWidget* owner, const char* objectName, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, owner);
    box.setObjectName(QLatin1String(objectName));
    // Blocks its own window only, as the program's other dialogs do.
    box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    box.exec();
}

int ChooseColorA(CHOOSECOLOR& request)
{
    std::optional<QColor> initial;
    if (request.Flags & CC_RGBINIT)
        initial = Colour(request.rgbResult).toQColor();
    const auto chosen = runColourDialog(request.hwndOwner, initial, request.lpCustColors);
    if (!chosen)
        return 0;
    request.rgbResult = Colour::fromQColor(*chosen).value();
    return 1;
}

ErrorCode CommonDialog::ShowColor()
{
    std::optional<QColor> initial;
    if (Flags & 1)
        initial = Color.toQColor();
    const auto chosen = runColourDialog(m_owner, initial, nullptr);
    if (!chosen)
        return CancelError ? ErrorCode::CancelPressed : ErrorCode::None;
    Color = Colour::fromQColor(*chosen);
    return ErrorCode::None;
}
