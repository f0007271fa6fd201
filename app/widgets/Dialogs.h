#pragma once

#include "draw/base/Colour.h"
#include "draw/base/Numbers.h"
#include "draw/base/ProgramTitle.h"

#include <QString>

#include <array>
#include <cstdint>

class QWidget;

// Message box styles used by the program.
constexpr int vbExclamation = 48;

// A message box with an OK button, modal to its owner (the active window when none is given);
// style 48 shows the warning icon. An empty title means the program's title.
void MsgBox(const QString& text, int style = vbExclamation, const QString& title = QString(),
            QWidget* owner = nullptr);

// A warning box with an OK button owned by owner, named so that tests can find and answer it.
void showWarningBox(QWidget* owner, const char* objectName, const QString& title, const QString& text);

// The width a message box needs for its whole title to show in a window manager's title bar,
// beside the frame's icon and buttons.
int messageBoxTitleWidth(const QString& title);

// The colour-chooser request record, built afresh for every call.
struct CHOOSECOLOR
{
    std::uint32_t lStructSize = 36;
    QWidget* hwndOwner = nullptr;
    std::uint32_t hInstance = 0;
    std::uint32_t rgbResult = 0;
    std::array<std::uint32_t, 16>* lpCustColors = nullptr;
    std::uint32_t Flags = 0;
    std::uint32_t lCustData = 0;
    std::uint32_t lpfnHook = 0;
    std::uint32_t lpTemplateName = 0;
};

constexpr std::uint32_t CC_RGBINIT = 1;

// The record form of the colour chooser: a modal colour dialog owned by hwndOwner. It preselects
// rgbResult only with CC_RGBINIT, and its custom colours are exactly the record's table (all black
// when there is none), so nothing survives from one use to the next. Non-zero on OK, with the
// choice in rgbResult; 0 on cancel.
int ChooseColorA(CHOOSECOLOR& request);

// The control form of the colour chooser, as the picker's colour buttons use it.
class CommonDialog
{
public:
    bool CancelError = false;
    std::uint32_t Flags = 0; // 1: open with Color preselected
    Colour Color;

    explicit CommonDialog(QWidget* owner = nullptr) : m_owner(owner) {}

    // Opens the dialog and waits. OK stores the choice in Color and gives ErrorCode::None; a cancel
    // gives ErrorCode::CancelPressed when CancelError is set, else None with Color unchanged.
    ErrorCode ShowColor();

private:
    QWidget* m_owner;
};
