#pragma once

#include "core/context.h"
#include "sources/sourceimport.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quorvel {

// "从表格导入": a workbook the school received, read against the columns of
// the database. The user picks the file, the sheet and the header row, sees
// the first rows of the sheet with the header row marked, maps every
// database column to a header by hand where the guess is wrong (one header
// may feed several columns), numbers the rows without 编号 (自动编号),
// keeps the sheet's 总分 instead of the sum, reads the
// problems the import would meet (a double click shows the row) and
// imports with "导入N人".
class SourceDialog : public QDialog {
    Q_OBJECT
public:
    // With add, "添加插班生": the rows whose 编号 is new join the students
    // stored, with class 0, and the button says "添加N人".
    explicit SourceDialog(const Context& ctx, QWidget* parent = nullptr, bool add = false);

    // Opens the workbook at path: its first sheet, the header row found.
    void openFile(const QString& path);
    // The preview shown now; empty before a workbook is read.
    const SourcePreview& preview() const { return m_preview; }
    // After the import: 已导入N人 (or 已添加N人), with the rows left out.
    QString doneText() const;

public slots:
    // "导入N人": imports what the dialog shows and closes it on success.
    void importClicked();

private:
    QWidget* buildChoices();
    QWidget* buildMapping();
    void browse();
    void sheetChosen();
    void headerRowChosen();
    void mappingChosen();
    void flagsChosen();
    void showRowOf(QListWidgetItem* item);
    // Reads the workbook again with the dialog's choices and shows it.
    void refresh(const SourceOptions& options);
    void showPreviewRows(const QList<SheetRow>& rows);
    void showMapping();
    void buildMapBoxes(const QStringList& columns, const QStringList& headers);
    void showProblems();
    void showError(const QString& text);
    QString rowText(int number) const;
    // "导入N人", or "添加N人" for an addition.
    QString actionText(qsizetype count) const;

    Context m_ctx;
    QString m_path;
    SourcePreview m_preview;
    SourceOptions m_options;
    bool m_updating = false;
    QLineEdit* m_file = nullptr;
    QComboBox* m_sheet = nullptr;
    QSpinBox* m_headerRow = nullptr;
    QCheckBox* m_number = nullptr;
    QCheckBox* m_keepTotal = nullptr;
    QTableWidget* m_rows = nullptr;
    QFormLayout* m_mappingForm = nullptr;
    QHash<QString, QComboBox*> m_mapBoxes;
    QStringList m_columns, m_headers; // what the boxes offer
    QListWidget* m_problems = nullptr;
    QLabel* m_counts = nullptr;
    QPushButton* m_import = nullptr;
};

// The caption of a mapping box's choice for "no header".
inline QString unmappedCaption()
{
    return QStringLiteral("（未对应）");
}

} // namespace quorvel
