#pragma once

#include "core/context.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace quorvel {

struct ClassDifference;

// 历史版本: the versions of the classes, newest first (编号, 时间, 操作, the
// students each moved and the spread of the class averages of 总分 after
// it), with 比较 (two chosen versions, or one with the classes as they are
// now) and 恢复 (the chosen version, after a question), and below them the
// classes another program changed, when any did. It does not block the
// main window.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(const Context& ctx, QWidget* parent);

    QTableWidget* versionTable() const { return m_table; }
    QPushButton* compareButton() const { return m_compare; }
    QPushButton* restoreButton() const { return m_restore; }
    // The comparison shown last, or null.
    QDialog* comparison() const { return m_comparison; }

    // Reads the versions again and shows the dialog in front.
    void showDialog();

public slots:
    void reload();
    void compareChosen();
    void restoreChosen();

signals:
    void aboutToRestore();
    void restored();

private:
    QVector<qint64> chosenIds() const;
    void showComparison(qint64 first, std::optional<qint64> second);
    void showOutside(const QVector<ClassDifference>& outside);

    Context m_ctx;
    QTableWidget* m_table = nullptr;
    QLabel* m_outside = nullptr; // classes changed by another program
    QPushButton* m_compare = nullptr;
    QPushButton* m_restore = nullptr;
    QDialog* m_comparison = nullptr;
};

} // namespace quorvel
