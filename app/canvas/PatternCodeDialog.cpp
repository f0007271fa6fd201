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
    shownCodeBox = new QLineEdit(shownCode, this);
    shownCodeBox->setObjectName(QStringLiteral("txtShownCode"));
    shownCodeBox->setReadOnly(true);
    shownCodeBox->setMinimumWidth(shownCodeBox->fontMetrics().horizontalAdvance(QString(66, u'W')));
    if (shownCode.isEmpty())
        shownCodeBox->setPlaceholderText(QStringLiteral("画布上的图案已改动，没有代码"));
    copyButton = new QPushButton(QStringLiteral("复制"), this);
    copyButton->setObjectName(QStringLiteral("cmdCopyCode"));
    copyButton->setEnabled(!shownCode.isEmpty());
    copyButton->setAutoDefault(false);
    connect(copyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(shownCodeBox->text()); });

    auto* enteredLabel = new QLabel(QStringLiteral("输入或粘贴图案代码，显示它的图案："), this);
    enteredCodeBox = new QPlainTextEdit(this);
    enteredCodeBox->setObjectName(QStringLiteral("txtEnteredCode"));
    enteredCodeBox->setTabChangesFocus(true);
    enteredCodeBox->installEventFilter(this);
    enteredCodeBox->setFixedHeight(enteredCodeBox->fontMetrics().lineSpacing() * 4);

    okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("cmdOk"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    connect(okButton, &QPushButton::clicked, this, &PatternCodeDialog::acceptEnteredCode);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* shownRow = new QHBoxLayout;
    shownRow->addWidget(shownCodeBox, 1);
    shownRow->addWidget(copyButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shownLabel);
    layout->addLayout(shownRow);
    layout->addSpacing(8);
    layout->addWidget(enteredLabel);
    layout->addWidget(enteredCodeBox);
    layout->addLayout(buttons);
    enteredCodeBox->setFocus();
}

bool PatternCodeDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the code box is "确定", as in a one-line box; Shift+Enter still breaks the line.
    if (watched == enteredCodeBox && event->type() == QEvent::KeyPress) {
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
    // Nothing typed: the user only looked at (or copied) the shown code.
    if (enteredCodeBox->toPlainText().trimmed().isEmpty()) {
        reject();
        return;
    }
    const PatternCode::Reading reading = PatternCode::find(enteredCodeBox->toPlainText());
    if (!reading.recipe) {
        showPatternCodeProblem(this, reading.problem);
        enteredCodeBox->setFocus();
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
