#pragma once

#include "draw/pattern/PatternCode.h"

#include <QByteArray>
#include <QString>

class QWidget;

// Shows a slide beyond its window's own show: from its recipe, its full code or a file that holds
// one, in the window the slide belongs to (opened and placed as the main window's button would),
// paused there; and asks the user for a code or a file to show.
class PatternService
{
public:
    static PatternService& instance();

    // Connects a pattern window's canvas menu requests for codes and files; called for each new window.
    void attachWindow(QWidget* window);

    // Shows the slide in its window, opening the window if needed.
    void showRecipe(const SlideRecipe& recipe);
    // Shows the slide a code names; the problem otherwise (nothing is shown then).
    PatternCode::Problem showCode(const QString& text);

    // "图案代码…": the dialog, then the slide of the code typed there.
    void askForCode(QWidget* owner, const QString& shownCode);
    // "打开图案文件…": a file dialog in the remembered folder, then the file's slide.
    void askForFile(QWidget* owner);
    // Shows the slide a PNG or SVG file names; a message box tells why not. True when shown.
    bool openFile(QWidget* owner, const QString& path);
    // The same for the file named on the command line, opened by the name's bytes as the system
    // gave them; a problem is also printed on standard error, as one with a code given there is.
    bool openStartFile(QWidget* owner, const QString& path, const QByteArray& localName);

private:
    PatternService() = default;
    bool showFile(QWidget* owner, const QString& path, const QByteArray& localName, bool printProblem);
};
