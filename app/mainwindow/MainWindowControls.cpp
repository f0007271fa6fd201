#include "app/mainwindow/MainWindowControls.h"

#include "app/mainwindow/MainWindow.h"
#include "app/widgets/PictureBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

QString MainWindowControls::divisorText() const { return m_window.categoryBox->currentText(); }

QString MainWindowControls::penWidthText() const { return m_window.penWidthBox->currentText(); }

QString MainWindowControls::paramText(int index) const { return m_window.paramBoxes[size_t(index)]->text(); }

void MainWindowControls::setParamText(int index, const QString& text)
{
    m_window.paramBoxes[size_t(index)]->setText(text);
}

void MainWindowControls::showPatternCode(const QString& code) { m_window.codeLabel->setText(code); }

Surface& MainWindowControls::curveCanvas() { return m_window.canvas->surface(); }
