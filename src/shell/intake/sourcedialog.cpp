#include "sourcedialog.h"

#include "shell/common/filechooser.h"
#include "store/errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int kPreviewRows = 20;

const SheetRow* rowNumbered(const QList<SheetRow>& rows, int number)
{
    for (const SheetRow& row : rows)
        if (row.number == number)
            return &row;
    return nullptr;
}

} // namespace

SourceDialog::SourceDialog(const Context& ctx, QWidget* parent, bool add)
    : QDialog(parent), m_ctx(ctx)
{
    m_options.add = add;
    setObjectName(QStringLiteral("SourceDialog"));
    setWindowTitle(add ? QStringLiteral("添加插班生") : QStringLiteral("从表格导入"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildChoices());
    m_rows = new QTableWidget(this);
    m_rows->setObjectName(QStringLiteral("sourceRows"));
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(buildMapping());
    m_problems = new QListWidget(split);
    m_problems->setObjectName(QStringLiteral("sourceProblems"));
    connect(m_problems, &QListWidget::itemDoubleClicked, this, &SourceDialog::showRowOf);
    // The mapping opens as wide as the problems: every header box shows
    // without dragging the splitter.
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    layout->addWidget(m_rows, 3);
    layout->addWidget(split, 2);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("sourceCounts"));
    m_counts->setWordWrap(true);
    layout->addWidget(m_counts);
    auto* buttons = new QDialogButtonBox(this);
    m_import = buttons->addButton(actionText(0), QDialogButtonBox::AcceptRole);
    m_import->setObjectName(QStringLiteral("sourceImport"));
    m_import->setEnabled(false);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("sourceCancel"));
    connect(m_import, &QPushButton::clicked, this, &SourceDialog::importClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 640);
}

QWidget* SourceDialog::buildChoices()
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_file = new QLineEdit(box);
    m_file->setObjectName(QStringLiteral("sourceFile"));
    m_file->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("选择文件…"), box);
    browse->setObjectName(QStringLiteral("sourceBrowse"));
    connect(browse, &QPushButton::clicked, this, &SourceDialog::browse);
    m_sheet = new QComboBox(box);
    m_sheet->setObjectName(QStringLiteral("sourceSheet"));
    connect(m_sheet, &QComboBox::currentIndexChanged, this, &SourceDialog::sheetChosen);
    m_headerRow = new QSpinBox(box);
    m_headerRow->setObjectName(QStringLiteral("sourceHeaderRow"));
    m_headerRow->setRange(0, SheetSource::kMaxRows);
    m_headerRow->setSpecialValueText(QStringLiteral("自动"));
    connect(m_headerRow, &QSpinBox::valueChanged, this, &SourceDialog::headerRowChosen);
    row->addWidget(new QLabel(QStringLiteral("文件："), box));
    row->addWidget(m_file, 1);
    row->addWidget(browse);
    row->addWidget(new QLabel(QStringLiteral("工作表："), box));
    row->addWidget(m_sheet);
    row->addWidget(new QLabel(QStringLiteral("表头行："), box));
    row->addWidget(m_headerRow);
    m_number = new QCheckBox(QStringLiteral("自动编号"), box);
    m_number->setObjectName(QStringLiteral("sourceNumber"));
    m_number->setToolTip(QStringLiteral("没有编号的行按表中的顺序从1开始编号"));
    m_keepTotal = new QCheckBox(QStringLiteral("保留表中的总分"), box);
    m_keepTotal->setObjectName(QStringLiteral("sourceKeepTotal"));
    m_keepTotal->setToolTip(QStringLiteral("不按各科之和计算总分，照表中的总分导入"));
    connect(m_number, &QCheckBox::toggled, this, &SourceDialog::flagsChosen);
    connect(m_keepTotal, &QCheckBox::toggled, this, &SourceDialog::flagsChosen);
    row->addWidget(m_number);
    row->addWidget(m_keepTotal);
    return box;
}

QWidget* SourceDialog::buildMapping()
{
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sourceMapping"));
    scroll->setMinimumWidth(320);
    scroll->setWidgetResizable(true);
    auto* inner = new QWidget(scroll);
    m_mappingForm = new QFormLayout(inner);
    scroll->setWidget(inner);
    return scroll;
}

void SourceDialog::browse()
{
    const QString path = fileChooser().openFile(
        this, QStringLiteral("选择表格"), QFileInfo(m_path).absolutePath(),
        QStringLiteral("表格 (*.xlsx *.xls *.ods *.csv *.htm *.html);;所有文件 (*)"));
    if (!path.isEmpty())
        openFile(path);
}

namespace {

// Options of a new choice of sheet or header row: no hand mapping, the
// dialog's check boxes kept.
SourceOptions freshOptions(const SourceOptions& now)
{
    SourceOptions options;
    options.number = now.number;
    options.keepTotal = now.keepTotal;
    options.add = now.add;
    return options;
}

} // namespace

void SourceDialog::openFile(const QString& path)
{
    m_path = path;
    m_file->setText(QDir::toNativeSeparators(path));
    refresh(freshOptions(m_options));
}

void SourceDialog::sheetChosen()
{
    if (m_updating || m_sheet->currentIndex() < 0)
        return;
    SourceOptions options = freshOptions(m_options);
    options.sheet = m_sheet->currentText();
    refresh(options);
}

void SourceDialog::flagsChosen()
{
    if (m_updating)
        return;
    SourceOptions options = m_options;
    options.number = m_number->isChecked();
    options.keepTotal = m_keepTotal->isChecked();
    refresh(options);
}

void SourceDialog::headerRowChosen()
{
    if (m_updating)
        return;
    SourceOptions options = freshOptions(m_options);
    options.sheet = m_options.sheet;
    options.headerRow = m_headerRow->value();
    refresh(options);
}

void SourceDialog::mappingChosen()
{
    if (m_updating)
        return;
    // Every box as it stands, the one just changed last.
    const auto* changed = qobject_cast<const QComboBox*>(sender());
    SourceOptions options = m_options;
    options.byHand.clear();
    auto choice = [](const QString& column, const QComboBox* box) {
        return HandMapping{column, box->currentIndex() <= 0 ? QString() : box->currentText()};
    };
    QString changedColumn;
    for (const QString& column : std::as_const(m_columns)) {
        const QComboBox* box = m_mapBoxes.value(column);
        if (box == changed)
            changedColumn = column;
        else
            options.byHand.append(choice(column, box));
    }
    if (changed)
        options.byHand.append(choice(changedColumn, changed));
    refresh(options);
}

void SourceDialog::refresh(const SourceOptions& options)
{
    m_options = options;
    m_updating = true;
    try {
        m_preview = previewSource(m_ctx, m_path, options);
        m_sheet->clear();
        m_sheet->addItems(m_preview.sheetNames);
        m_sheet->setCurrentText(m_preview.sheet);
        m_options.sheet = m_preview.sheet;
        m_headerRow->setValue(m_preview.headerRow);
        showPreviewRows(m_preview.rows.mid(0, kPreviewRows));
        showMapping();
        showProblems();
    } catch (const OperationError& e) {
        m_preview = SourcePreview{};
        showError(e.text());
    }
    m_updating = false;
}

void SourceDialog::showPreviewRows(const QList<SheetRow>& rows)
{
    int width = 0;
    for (const SheetRow& row : rows)
        width = qMax(width, int(row.cells.size()));
    m_rows->clear();
    m_rows->setRowCount(int(rows.size()));
    m_rows->setColumnCount(width);
    QFont bold = m_rows->font();
    bold.setBold(true);
    for (int r = 0; r < rows.size(); ++r) {
        const bool header = rows.at(r).number == m_preview.headerRow;
        auto* label = new QTableWidgetItem(header ? QStringLiteral("表头 %1").arg(rows.at(r).number)
                                                  : QString::number(rows.at(r).number));
        label->setData(Qt::UserRole, rows.at(r).number);
        m_rows->setVerticalHeaderItem(r, label);
        for (int c = 0; c < rows.at(r).cells.size(); ++c) {
            auto* item = new QTableWidgetItem(sourceCellText(rows.at(r).cells.at(c)));
            if (header) {
                item->setFont(bold);
                item->setBackground(QColor(255, 236, 170));
            }
            m_rows->setItem(r, c, item);
        }
    }
}

void SourceDialog::showMapping()
{
    QStringList headers;
    if (const SheetRow* head = rowNumbered(m_preview.rows, m_preview.headerRow))
        for (const QVariant& cell : head->cells)
            if (const QString text = sourceCellText(cell); !text.isEmpty())
                headers.append(text);
    QStringList columns;
    for (const TargetColumn& column : m_preview.columns)
        columns.append(column.name);
    // The boxes stay while the choices are the same: a box may be the one
    // whose change is being shown.
    if (headers != m_headers || columns != m_columns)
        buildMapBoxes(columns, headers);
    for (const QString& column : columns) {
        const QString mapped = m_preview.mapping.headerOf.value(column).trimmed();
        m_mapBoxes.value(column)->setCurrentIndex(
            m_preview.mapping.isMapped(column) ? qMax(0, int(headers.indexOf(mapped)) + 1) : 0);
    }
}

void SourceDialog::buildMapBoxes(const QStringList& columns, const QStringList& headers)
{
    while (m_mappingForm->rowCount() > 0)
        m_mappingForm->removeRow(0);
    m_mapBoxes.clear();
    m_headers = headers;
    m_columns = columns;
    for (const QString& column : columns) {
        auto* box = new QComboBox;
        box->setObjectName(QStringLiteral("map_") + column);
        box->addItem(unmappedCaption());
        box->addItems(headers);
        connect(box, &QComboBox::currentIndexChanged, this, &SourceDialog::mappingChosen);
        m_mappingForm->addRow(column, box);
        m_mapBoxes.insert(column, box);
    }
}

void SourceDialog::showProblems()
{
    const CheckedRows& rows = m_preview.checked;
    m_problems->clear();
    if (!rows.contentNote.isEmpty())
        new QListWidgetItem(rows.contentNote, m_problems);
    for (const ReportLine& line : rows.problems) {
        auto* item = new QListWidgetItem(reportLineText(line), m_problems);
        item->setData(Qt::UserRole, line.row);
    }
    QStringList counts{QStringLiteral("导入%1行，%2行没有导入，%3个值没有导入。")
                           .arg(rows.values.size())
                           .arg(rows.leftOut)
                           .arg(rows.lostValues)};
    try {
        requireStudents(m_preview);
    } catch (const OperationError& e) {
        counts = QStringList{e.text()};
    }
    m_counts->setText((counts + rows.notes).join(u'\n'));
    m_import->setText(actionText(rows.values.size()));
    m_import->setEnabled(!rows.values.isEmpty());
}

void SourceDialog::showError(const QString& text)
{
    m_problems->clear();
    m_counts->setText(text);
    m_import->setText(actionText(0));
    m_import->setEnabled(false);
}

QString SourceDialog::actionText(qsizetype count) const
{
    return (m_options.add ? QStringLiteral("添加%1人") : QStringLiteral("导入%1人")).arg(count);
}

QString SourceDialog::rowText(int number) const
{
    const SheetRow* row = rowNumbered(m_preview.rows, number);
    const SheetRow* head = rowNumbered(m_preview.rows, m_preview.headerRow);
    QStringList lines;
    for (int c = 0; row && c < row->cells.size(); ++c) {
        const QString name = head && c < head->cells.size() ? sourceCellText(head->cells.at(c))
                                                            : QStringLiteral("第%1列").arg(c + 1);
        lines.append(name + QStringLiteral("：") + sourceCellText(row->cells.at(c)));
    }
    return lines.join(u'\n');
}

void SourceDialog::showRowOf(QListWidgetItem* item)
{
    const int number = item->data(Qt::UserRole).toInt();
    for (int r = 0; r < m_rows->rowCount(); ++r)
        if (m_rows->verticalHeaderItem(r)->data(Qt::UserRole).toInt() == number)
            m_rows->selectRow(r);
    m_ctx.prompt.message(rowText(number), QStringLiteral("第%1行").arg(number));
}

QString SourceDialog::doneText() const
{
    QString text = (m_preview.add ? QStringLiteral("已添加%1人") : QStringLiteral("已导入%1人"))
                       .arg(m_preview.checked.values.size());
    if (m_preview.checked.leftOut > 0)
        text += QStringLiteral("（%1行有问题，未导入）").arg(m_preview.checked.leftOut);
    return text + QStringLiteral("。");
}

void SourceDialog::importClicked()
{
    bool imported = false;
    reportErrors(m_ctx.prompt, [&] { imported = importPreview(m_ctx, m_preview); });
    if (imported)
        accept();
}

} // namespace quorvel
