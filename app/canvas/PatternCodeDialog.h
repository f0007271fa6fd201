#pragma once

#include "draw/pattern/PatternCode.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dialog "图案代码": the shown slide's full code to select or copy, and a box to type or
// paste one. "确定" accepts a text that holds a code and closes the dialog with an empty box, as
// "取消" does; any other text is explained in a message and the dialog stays open.
class PatternCodeDialog : public QDialog
{
    Q_OBJECT

public:
    PatternCodeDialog(const QString& shownCode, QWidget* owner);

    // The slide of the code given, once accepted.
    const std::optional<SlideRecipe>& chosen() const { return m_chosen; }

    // Shows the dialog modally; the slide to show, or none when cancelled.
    static std::optional<SlideRecipe> ask(const QString& shownCode, QWidget* owner);

    QLineEdit* shownCodeBox = nullptr;
    QPushButton* copyButton = nullptr;
    QPlainTextEdit* enteredCodeBox = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void acceptEnteredCode();

    std::optional<SlideRecipe> m_chosen;
};

// The warning box for a text that names no slide.
void showPatternCodeProblem(QWidget* owner, PatternCode::Problem problem);
