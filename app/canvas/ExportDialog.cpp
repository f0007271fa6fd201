#include "app/canvas/ExportDialog.h"

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
#include <QVBoxLayout>

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

    cboExportFormat = new QComboBox(this);
    cboExportFormat->setObjectName(QStringLiteral("cboExportFormat"));
    for (const ExportFormat format : {ExportFormat::Png, ExportFormat::Svg, ExportFormat::Pdf})
        cboExportFormat->addItem(exportFormatLabel(format), int(format));

    cboExportSize = new QComboBox(this);
    cboExportSize->setObjectName(QStringLiteral("cboExportSize"));
    for (const ExportSizeEntry& entry : exportSizeEntries())
        cboExportSize->addItem(entry.label);

    optPortrait = new QRadioButton(QStringLiteral("纵向"), this);
    optPortrait->setObjectName(QStringLiteral("optPortrait"));
    optLandscape = new QRadioButton(QStringLiteral("横向"), this);
    optLandscape->setObjectName(QStringLiteral("optLandscape"));
    auto* orientation = new QButtonGroup(this);
    orientation->addButton(optPortrait);
    orientation->addButton(optLandscape);
    optPortrait->setChecked(true);

    txtExportWidth = numberBox("txtExportWidth", this);
    txtExportHeight = numberBox("txtExportHeight", this);
    cboExportUnit = new QComboBox(this);
    cboExportUnit->setObjectName(QStringLiteral("cboExportUnit"));
    for (const LengthUnit unit : {LengthUnit::Pixels, LengthUnit::Millimetres, LengthUnit::Centimetres, LengthUnit::Inches})
        cboExportUnit->addItem(lengthUnitLabel(unit), int(unit));
    txtExportDpi = numberBox("txtExportDpi", this);

    lblExportPixels = new QLabel(this);
    lblExportPixels->setObjectName(QStringLiteral("lblExportPixels"));
    lblExportPixels->setWordWrap(true);

    picExportPreview = new QLabel(this);
    picExportPreview->setObjectName(QStringLiteral("picExportPreview"));
    picExportPreview->setAlignment(Qt::AlignCenter);
    picExportPreview->setFrameShape(QFrame::StyledPanel);
    picExportPreview->setFixedSize(previewBox() + QSize(4, 4));

    cmdExport = new QPushButton(QStringLiteral("导出…"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* orientationRow = new QHBoxLayout;
    orientationRow->addWidget(optPortrait);
    orientationRow->addWidget(optLandscape);
    orientationRow->addStretch(1);
    auto* customRow = new QHBoxLayout;
    customRow->addWidget(txtExportWidth);
    customRow->addWidget(new QLabel(QStringLiteral("×"), this));
    customRow->addWidget(txtExportHeight);
    customRow->addWidget(cboExportUnit);
    customRow->addStretch(1);
    auto* dpiRow = new QHBoxLayout;
    dpiRow->addWidget(txtExportDpi);
    dpiRow->addWidget(new QLabel(QStringLiteral("dpi"), this));
    dpiRow->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("格式："), cboExportFormat);
    form->addRow(QStringLiteral("大小："), cboExportSize);
    form->addRow(QStringLiteral("方向："), orientationRow);
    form->addRow(QStringLiteral("宽 × 高："), customRow);
    form->addRow(QStringLiteral("分辨率："), dpiRow);
    form->addRow(QString(), lblExportPixels);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdCancel);
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(picExportPreview, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    showChoice(rememberedExportChoice());

    connect(cboExportSize, &QComboBox::currentIndexChanged, this, &ExportDialog::sizeEntryChanged);
    for (QLineEdit* box : {txtExportWidth, txtExportHeight, txtExportDpi})
        connect(box, &QLineEdit::textChanged, this, &ExportDialog::entriesChanged);
    connect(cboExportUnit, &QComboBox::currentIndexChanged, this, &ExportDialog::entriesChanged);
    connect(optLandscape, &QRadioButton::toggled, this, &ExportDialog::entriesChanged);
    connect(cmdExport, &QPushButton::clicked, this, &ExportDialog::exportChosen);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    cboExportSize->setFocus();
}

ExportFormat ExportDialog::format() const { return ExportFormat(cboExportFormat->currentData().toInt()); }

ExportChoice ExportDialog::choice() const
{
    ExportChoice choice;
    choice.format = format();
    choice.size = cboExportSize->currentIndex();
    choice.landscape = optLandscape->isChecked();
    choice.unit = LengthUnit(cboExportUnit->currentData().toInt());
    choice.width = txtExportWidth->text();
    choice.height = txtExportHeight->text();
    choice.dpi = txtExportDpi->text();
    return choice;
}

void ExportDialog::showChoice(const ExportChoice& choice)
{
    cboExportFormat->setCurrentIndex(std::max(0, cboExportFormat->findData(int(choice.format))));
    cboExportSize->setCurrentIndex(choice.size);
    (choice.landscape ? optLandscape : optPortrait)->setChecked(true);
    cboExportUnit->setCurrentIndex(std::max(0, cboExportUnit->findData(int(choice.unit))));
    txtExportWidth->setText(choice.width);
    txtExportHeight->setText(choice.height);
    txtExportDpi->setText(choice.dpi);
    m_shownSize = cboExportSize->currentIndex();
    entriesChanged();
}

void ExportDialog::sizeEntryChanged()
{
    // A screen and a sheet of paper each start at their own resolution; a size of one's own keeps
    // the one typed.
    const int index = cboExportSize->currentIndex();
    const SizeKind kind = kindOf(index);
    if (kind != SizeKind::Custom && kind != kindOf(m_shownSize))
        txtExportDpi->setText(QString::number(defaultDpiFor(exportSizeEntries().at(index))));
    m_shownSize = index;
    entriesChanged();
}

void ExportDialog::entriesChanged()
{
    const SizeKind kind = kindOf(cboExportSize->currentIndex());
    optPortrait->setEnabled(kind == SizeKind::Paper);
    optLandscape->setEnabled(kind == SizeKind::Paper);
    for (QWidget* box : std::initializer_list<QWidget*>{txtExportWidth, txtExportHeight, cboExportUnit})
        box->setEnabled(kind == SizeKind::Custom);

    m_reading = readExportFrame(choice());
    cmdExport->setEnabled(m_reading.frame.has_value());
    lblExportPixels->setText(m_reading.frame ? frameDescription(*m_reading.frame) : m_reading.problem);
    QPalette palette = this->palette();
    if (!m_reading.frame)
        palette.setColor(QPalette::WindowText, Qt::darkRed);
    lblExportPixels->setPalette(palette);

    // The preview is drawn afresh only when the frame's shape changes.
    const double ratio = devicePixelRatioF();
    const QSize box(qRound(previewBox().width() * ratio), qRound(previewBox().height() * ratio));
    const QSize frame = m_reading.frame ? previewSizeFor(m_reading.frame->pixels, box) : QSize();
    if (frame == m_previewFrame)
        return;
    m_previewFrame = frame;
    if (frame.isEmpty() || !m_picture) {
        picExportPreview->setPixmap(QPixmap());
        return;
    }
    QPixmap preview = QPixmap::fromImage(FrameRenderer(m_picture, frame).render());
    preview.setDevicePixelRatio(ratio);
    picExportPreview->setPixmap(preview);
}

void ExportDialog::exportChosen()
{
    if (!m_reading.frame)
        return;
    rememberExportChoice(choice());
    accept();
}
