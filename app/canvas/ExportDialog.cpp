#include "app/canvas/ExportDialog.h"

#include "draw/base/Numbers.h"
#include "draw/output/FrameRenderer.h"
#include "draw/surface/PictureSource.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Long enough for any number worth typing.
constexpr int maxTypedLength = 32;

QLineEdit* numberBox(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxTypedLength);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    return box;
}

enum class SizeKind { Screen, Paper, Custom };

SizeKind kindOf(int index)
{
    const QList<ExportSizeEntry>& entries = exportSizeEntries();
    if (index < 0 || index >= entries.size() || entries.at(index).custom())
        return SizeKind::Custom;
    return entries.at(index).paper ? SizeKind::Paper : SizeKind::Screen;
}

// The resolution typed, or NaN for a text that is no number.
double typedDpi(const QLineEdit* box) { return textToNumber(box->text()).value_or(std::nan("")); }

// Sets a box's text without it counting as the user's edit.
void putText(QLineEdit* box, const QString& text)
{
    const QSignalBlocker quiet(box);
    box->setText(text);
}

} // namespace

ExportDialog::ExportDialog(std::shared_ptr<const PictureSource> picture, QWidget* owner)
    : QDialog(owner), m_picture(std::move(picture))
{
    setObjectName(QStringLiteral("frmExportPattern"));
    setWindowTitle(QStringLiteral("导出图案"));
    // Over its window only, and never minimised away from it.
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    formatBox = new QComboBox(this);
    formatBox->setObjectName(QStringLiteral("cboExportFormat"));
    for (const ExportFormat format : {ExportFormat::Png, ExportFormat::Svg, ExportFormat::Pdf})
        formatBox->addItem(exportFormatLabel(format), int(format));

    sizeBox = new QComboBox(this);
    sizeBox->setObjectName(QStringLiteral("cboExportSize"));
    for (const ExportSizeEntry& entry : exportSizeEntries())
        sizeBox->addItem(entry.label);

    portraitButton = new QRadioButton(QStringLiteral("纵向"), this);
    portraitButton->setObjectName(QStringLiteral("optPortrait"));
    landscapeButton = new QRadioButton(QStringLiteral("横向"), this);
    landscapeButton->setObjectName(QStringLiteral("optLandscape"));
    auto* orientation = new QButtonGroup(this);
    orientation->addButton(portraitButton);
    orientation->addButton(landscapeButton);
    portraitButton->setChecked(true);

    widthBox = numberBox("txtExportWidth", this);
    heightBox = numberBox("txtExportHeight", this);
    unitBox = new QComboBox(this);
    unitBox->setObjectName(QStringLiteral("cboExportUnit"));
    for (const LengthUnit unit : {LengthUnit::Pixels, LengthUnit::Millimetres, LengthUnit::Centimetres, LengthUnit::Inches})
        unitBox->addItem(lengthUnitLabel(unit), int(unit));
    dpiBox = numberBox("txtExportDpi", this);

    pixelsLabel = new QLabel(this);
    pixelsLabel->setObjectName(QStringLiteral("lblExportPixels"));
    pixelsLabel->setWordWrap(true);

    previewLabel = new QLabel(this);
    previewLabel->setObjectName(QStringLiteral("picExportPreview"));
    previewLabel->setAlignment(Qt::AlignCenter);
    previewLabel->setFrameShape(QFrame::StyledPanel);
    previewLabel->setFixedSize(previewBox() + QSize(4, 4));

    exportButton = new QPushButton(QStringLiteral("导出…"), this);
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    exportButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    cancelButton->setAutoDefault(false);

    auto* orientationRow = new QHBoxLayout;
    orientationRow->addWidget(portraitButton);
    orientationRow->addWidget(landscapeButton);
    orientationRow->addStretch(1);
    auto* customRow = new QHBoxLayout;
    customRow->addWidget(widthBox);
    customRow->addWidget(new QLabel(QStringLiteral("×"), this));
    customRow->addWidget(heightBox);
    customRow->addWidget(unitBox);
    customRow->addStretch(1);
    auto* dpiRow = new QHBoxLayout;
    dpiRow->addWidget(dpiBox);
    dpiRow->addWidget(new QLabel(QStringLiteral("dpi"), this));
    dpiRow->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("格式："), formatBox);
    form->addRow(QStringLiteral("大小："), sizeBox);
    form->addRow(QStringLiteral("方向："), orientationRow);
    form->addRow(QStringLiteral("宽 × 高："), customRow);
    form->addRow(QStringLiteral("分辨率："), dpiRow);
    form->addRow(QString(), pixelsLabel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    buttons->addWidget(cancelButton);
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(previewLabel, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    showChoice(rememberedExportChoice());

    connect(sizeBox, &QComboBox::currentIndexChanged, this, &ExportDialog::sizeEntryChanged);
    for (QLineEdit* box : {widthBox, heightBox, dpiBox})
        connect(box, &QLineEdit::textChanged, this, &ExportDialog::entriesChanged);
    connect(unitBox, &QComboBox::currentIndexChanged, this, &ExportDialog::unitChanged);
    connect(landscapeButton, &QRadioButton::toggled, this, &ExportDialog::entriesChanged);
    connect(exportButton, &QPushButton::clicked, this, &ExportDialog::exportChosen);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    sizeBox->setFocus();
}

ExportFormat ExportDialog::format() const { return ExportFormat(formatBox->currentData().toInt()); }

ExportChoice ExportDialog::choice() const
{
    ExportChoice choice;
    choice.format = format();
    choice.size = sizeBox->currentIndex();
    choice.landscape = landscapeButton->isChecked();
    choice.unit = LengthUnit(unitBox->currentData().toInt());
    const bool custom = kindOf(choice.size) == SizeKind::Custom;
    choice.width = custom ? widthBox->text() : m_customWidth;
    choice.height = custom ? heightBox->text() : m_customHeight;
    choice.dpi = dpiBox->text();
    return choice;
}

void ExportDialog::showChoice(const ExportChoice& choice)
{
    formatBox->setCurrentIndex(std::max(0, formatBox->findData(int(choice.format))));
    sizeBox->setCurrentIndex(choice.size);
    (choice.landscape ? landscapeButton : portraitButton)->setChecked(true);
    unitBox->setCurrentIndex(std::max(0, unitBox->findData(int(choice.unit))));
    m_customWidth = choice.width;
    m_customHeight = choice.height;
    putText(widthBox, choice.width);
    putText(heightBox, choice.height);
    dpiBox->setText(choice.dpi);
    m_shownSize = sizeBox->currentIndex();
    m_shownUnit = LengthUnit(unitBox->currentData().toInt());
    entriesChanged();
}

void ExportDialog::sizeEntryChanged()
{
    // A screen and a sheet of paper each start at their own resolution; a size of one's own keeps
    // the one typed.
    const int index = sizeBox->currentIndex();
    const SizeKind kind = kindOf(index);
    const SizeKind shownKind = kindOf(m_shownSize);
    // The size of one's own is kept while a preset shows its size in the same boxes.
    if (shownKind == SizeKind::Custom && kind != SizeKind::Custom) {
        m_customWidth = widthBox->text();
        m_customHeight = heightBox->text();
    } else if (shownKind != SizeKind::Custom && kind == SizeKind::Custom) {
        putText(widthBox, m_customWidth);
        putText(heightBox, m_customHeight);
    }
    m_shownSize = index;
    if (kind != SizeKind::Custom && kind != shownKind)
        dpiBox->setText(QString::number(defaultDpiFor(exportSizeEntries().at(index))));
    entriesChanged();
}

void ExportDialog::unitChanged()
{
    // Another unit writes the same size: the pixels stay, the numbers follow.
    const LengthUnit unit = LengthUnit(unitBox->currentData().toInt());
    const double dpi = typedDpi(dpiBox);
    const auto converted = [&](const QString& typed) {
        return convertedLength(typed, m_shownUnit, unit, dpi).value_or(typed);
    };
    if (kindOf(sizeBox->currentIndex()) == SizeKind::Custom) {
        putText(widthBox, converted(widthBox->text()));
        putText(heightBox, converted(heightBox->text()));
    } else {
        m_customWidth = converted(m_customWidth);
        m_customHeight = converted(m_customHeight);
    }
    m_shownUnit = unit;
    entriesChanged();
}

void ExportDialog::showPresetSize()
{
    const int index = sizeBox->currentIndex();
    if (kindOf(index) == SizeKind::Custom)
        return;
    const SizeTexts size = presetSizeTexts(exportSizeEntries().at(index), landscapeButton->isChecked(),
                                           LengthUnit(unitBox->currentData().toInt()), typedDpi(dpiBox));
    putText(widthBox, size.width);
    putText(heightBox, size.height);
}

void ExportDialog::entriesChanged()
{
    const SizeKind kind = kindOf(sizeBox->currentIndex());
    portraitButton->setEnabled(kind == SizeKind::Paper);
    landscapeButton->setEnabled(kind == SizeKind::Paper);
    for (QWidget* box : std::initializer_list<QWidget*>{widthBox, heightBox, unitBox})
        box->setEnabled(kind == SizeKind::Custom);
    showPresetSize();

    m_reading = readExportFrame(choice());
    exportButton->setEnabled(m_reading.frame.has_value());
    pixelsLabel->setText(m_reading.frame ? frameDescription(*m_reading.frame) : m_reading.problem);
    QPalette palette = this->palette();
    if (!m_reading.frame)
        palette.setColor(QPalette::WindowText, Qt::darkRed);
    pixelsLabel->setPalette(palette);

    // The preview is drawn afresh only when the frame's shape changes.
    const double ratio = devicePixelRatioF();
    const QSize box(qRound(previewBox().width() * ratio), qRound(previewBox().height() * ratio));
    const QSize frame = m_reading.frame ? previewSizeFor(m_reading.frame->pixels, box) : QSize();
    if (frame == m_previewFrame)
        return;
    m_previewFrame = frame;
    if (frame.isEmpty() || !m_picture) {
        previewLabel->setPixmap(QPixmap());
        return;
    }
    QPixmap preview = QPixmap::fromImage(FrameRenderer(m_picture, frame).render());
    preview.setDevicePixelRatio(ratio);
    previewLabel->setPixmap(preview);
}

void ExportDialog::exportChosen()
{
    if (!m_reading.frame)
        return;
    accept();
}
