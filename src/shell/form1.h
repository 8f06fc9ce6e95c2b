#pragma once

#include "store/context.h"

#include <QMainWindow>

class QFrame;
class QLabel;
class QProgressBar;
class QTableView;
class QToolButton;

namespace quorvel {

class CreatePanel;
class LinkLabel;
class NavPanel;

// The main window: the banner across the top, the navigation panel on the
// left, the work area with its overlay panels and the student grid on the
// right, the progress bar at the foot. It lives for the whole run; every
// operation starts from one of its items.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(const Context& ctx, QWidget* parent = nullptr);

    static QString caption();
    static QString webAddress();
    static QString creditsText();

    const Context& context() const { return m_ctx; }
    NavPanel* navPanel() const { return m_nav; }
    QToolButton* item(const QString& name) const;
    QLabel* countLabel() const;                               // Label11
    QWidget* workArea() const { return m_work; }              // Picture1
    QTableView* studentGrid() const { return m_grid; }        // Mgd1
    CreatePanel* createPanel() const { return m_create; }     // Frmcreate
    QFrame* fastSlowPanel() const { return m_fastSlow; }      // Frame13
    QFrame* boarderPanel() const { return m_boarder; }        // frm15
    QFrame* subjectPanel() const { return m_subject; }        // Frame1
    QFrame* resultsPanel() const { return m_results; }        // Frmchengji
    QTableView* resultsGrid() const { return m_resultsGrid; } // DataGrid3
    QProgressBar* progressBar() const { return m_bar; }       // gbar2

public slots:
    // The items of the navigation panel, one handler each.
    void create_Click();
    void openexcel_Click();
    void fb_Click();
    void fbttj_Click();
    void FlatBttn2_Click();
    void FlatBttn7_Click();
    void FlatBttn3_Click();
    void FlatBttn5_Click();
    void FlatBttn8_Click();
    void FlatBttn6_Click();
    void fbtweb_Click();
    void fbthelp_Click();
    void lblweb_Click();
    // The group headers: open a group and close the results, the create
    // panel and the student grid.
    void Command7_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();

signals:
    // The window was closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildBanner();
    QWidget* buildWorkArea();
    QWidget* buildProgressBar();
    QFrame* buildOverlay(const QString& name);
    void buildStatusBar();
    void connectItems();
    void connectHeaders();
    void layoutWorkArea();
    void openGroup(int group);

    Context m_ctx;
    QLabel* m_banner = nullptr; // Image1
    LinkLabel* m_web = nullptr; // lblweb
    NavPanel* m_nav = nullptr;  // picture2
    QWidget* m_work = nullptr;
    QTableView* m_grid = nullptr;
    CreatePanel* m_create = nullptr;
    QFrame* m_fastSlow = nullptr;
    QFrame* m_boarder = nullptr;
    QFrame* m_subject = nullptr;
    QFrame* m_results = nullptr;
    QTableView* m_resultsGrid = nullptr;
    QProgressBar* m_bar = nullptr;
};

} // namespace quorvel
