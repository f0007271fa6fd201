#pragma once

#include "app/canvas/ExportChoice.h"

#include <QDialog>

#include <memory>
#include <optional>

class PictureSource;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The dialog "导出图案": format, size (a screen, a sheet of paper in either orientation, or a
// width and height in a unit), resolution, the pixel size they come to and a small preview of
// the pattern in that frame. "导出…" is offered only while the entries make a usable frame. It
// starts from the choices of the last finished export; whoever runs the export remembers them.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    ExportDialog(std::shared_ptr<const PictureSource> picture, QWidget* owner);

    // The entries as they stand (with a preset chosen, the size of one's own kept for later), and
    // the frame they come to (none while they make none).
    ExportChoice choice() const;
    const FrameReading& reading() const { return m_reading; }
    ExportFormat format() const;

    // The box the preview is fitted into.
    static QSize previewBox() { return QSize(240, 180); }

    QComboBox* formatBox = nullptr;
    QComboBox* sizeBox = nullptr;
    QRadioButton* portraitButton = nullptr;
    QRadioButton* landscapeButton = nullptr;
    QLineEdit* widthBox = nullptr;
    QLineEdit* heightBox = nullptr;
    QComboBox* unitBox = nullptr;
    QLineEdit* dpiBox = nullptr;
    QLabel* pixelsLabel = nullptr;
    QLabel* previewLabel = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void showChoice(const ExportChoice& choice);
    void sizeEntryChanged();
    void unitChanged();
    void entriesChanged();
    void showPresetSize();
    void exportChosen();

    std::shared_ptr<const PictureSource> m_picture;
    FrameReading m_reading;
    int m_shownSize = -1;
    LengthUnit m_shownUnit = LengthUnit::Pixels;
    // The size of one's own while a preset's size stands in its boxes.
    QString m_customWidth;
    QString m_customHeight;
    QSize m_previewFrame;
};
