#include "app/canvas/PatternCodeDialog.h"

#include "app/messages/PatternMessages.h"
#include "app/widgets/Dialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

PatternCodeDialog::PatternCodeDialog(const QString& shownCode, QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmPatternCode"));
    setWindowTitle(QStringLiteral("图案代码"));

    auto* shownLabel = new QLabel(QStringLiteral("当前图案的代码："), this);
    txtShownCode = new QLineEdit(shownCode, this);
    txtShownCode->setObjectName(QStringLiteral("txtShownCode"));
    txtShownCode->setReadOnly(true);
    txtShownCode->setMinimumWidth(txtShownCode->fontMetrics().horizontalAdvance(QString(66, u'W')));
    if (shownCode.isEmpty())
        txtShownCode->setPlaceholderText(QStringLiteral("画布上的图案已改动，没有代码"));
    cmdCopyCode = new QPushButton(QStringLiteral("复制"), this);
    cmdCopyCode->setObjectName(QStringLiteral("cmdCopyCode"));
    cmdCopyCode->setEnabled(!shownCode.isEmpty());
    cmdCopyCode->setAutoDefault(false);
    connect(cmdCopyCode, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(txtShownCode->text()); });

    auto* enteredLabel = new QLabel(QStringLiteral("输入或粘贴图案代码，显示它的图案："), this);
    txtEnteredCode = new QPlainTextEdit(this);
    txtEnteredCode->setObjectName(QStringLiteral("txtEnteredCode"));
    txtEnteredCode->setTabChangesFocus(true);
    txtEnteredCode->installEventFilter(this);
    txtEnteredCode->setFixedHeight(txtEnteredCode->fontMetrics().lineSpacing() * 4);

    cmdOk = new QPushButton(QStringLiteral("确定"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOk, &QPushButton::clicked, this, &PatternCodeDialog::acceptEnteredCode);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* shownRow = new QHBoxLayout;
    shownRow->addWidget(txtShownCode, 1);
    shownRow->addWidget(cmdCopyCode);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shownLabel);
    layout->addLayout(shownRow);
    layout->addSpacing(8);
    layout->addWidget(enteredLabel);
    layout->addWidget(txtEnteredCode);
    layout->addLayout(buttons);
    txtEnteredCode->setFocus();
}

bool PatternCodeDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the code box is "确定", as in a one-line box; Shift+Enter still breaks the line.
    if (watched == txtEnteredCode && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ShiftModifier)) {
            acceptEnteredCode();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PatternCodeDialog::acceptEnteredCode()
{
    const PatternCode::Reading reading = PatternCode::find(txtEnteredCode->toPlainText());
    if (!reading.recipe) {
        showPatternCodeProblem(this, reading.problem);
        txtEnteredCode->setFocus();
        return;
    }
    m_chosen = reading.recipe;
    accept();
}

std::optional<SlideRecipe> PatternCodeDialog::ask(const QString& shownCode, QWidget* owner)
{
    PatternCodeDialog dialog(shownCode, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

void showPatternCodeProblem(QWidget* owner, PatternCode::Problem problem)
{
    showWarningBox(owner, "patternCodeProblemBox", QStringLiteral("图案代码"), patternCodeProblemText(problem));
}
