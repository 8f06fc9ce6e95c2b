#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace quorvel {

struct Context;

// The items of 打印输出 that print and publish the division: 打印班级名单
// (whose dialog also opens the audit record), 分班公示, 班主任抽签 and
// 家长查询页 and 阳光分班. Connects itself to the items of the window's navigation panel
// by their names.
class PublishActions : public QObject {
    Q_OBJECT
public:
    PublishActions(QWidget* window, const Context& ctx);

    void printLists();
    void notice();
    void headTeacherDraw();
    void lookupPage();
    void publicDivision(); // 阳光分班
    void audit();

private:
    // Asks where to save (in the application folder), writes there and says
    // where it went, offering to open the folder.
    void saveAs(const QString& caption, const QString& name, const QString& filter,
                const std::function<QString(const QString&)>& write);

    QWidget* m_window;
    const Context& m_ctx;
};

} // namespace quorvel
