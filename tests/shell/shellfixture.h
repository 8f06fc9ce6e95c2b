#pragma once

// What the tests of the division wizard and the results panel share: a main
// window over a sandbox, widgets found by control name inside one window,
// clicks and typing as a user makes them, and intakes for the store.

#include "fakefilechooser.h"

#include "shell/results/rowsetgrid.h"
#include "shell/window/form1.h"
#include "shell/wizard/form2.h"
#include "shell/wizard/form3.h"
#include "shell/wizard/form4.h"
#include "support/intake.h"

#include "store/rowset.h"
#include "store/store.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QTest>
#include <memory>

namespace quorvel::test {

// A control of one window by its name; the test ends when there is none.
template <class T = QWidget> T* control(QWidget* window, const QString& name)
{
    T* w = window->findChild<T*>(name);
    if (!w)
        qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
    return w;
}

inline void click(QWidget* window, const QString& name)
{
    QTest::mouseClick(control<QAbstractButton>(window, name), Qt::LeftButton);
}

// A click on a box's indicator, where a user would click.
inline void tick(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// Key by key, as a keyboard layout types the characters (full-width ones too).
inline void typeKeys(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &release);
    }
}

// Empties a box with the keyboard and types the text.
inline void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeKeys(edit, text);
}

// n students of alternating sex with distinct totals; the fields named get
// values too: 原学校 one of four schools, a yes/no field 是 for every third
// student and 否 for the others.
inline QVector<Student> intake(int n, const QStringList& fields = {})
{
    QVector<Student> out;
    for (int i = 0; i < n; ++i) {
        Student s{QStringLiteral("s%1").arg(i, 3, 10, QChar(u'0')),
                  i % 2 ? QStringLiteral("女") : QStringLiteral("男"),
                  300.0 - i * 1.5,
                  {}};
        for (const QString& f : fields) {
            if (f == u"原学校")
                s.fields.insert(f, QStringLiteral("第%1小学").arg(i % 4 + 1));
            else
                s.fields.insert(f, i % 3 ? QStringLiteral("否") : QStringLiteral("是"));
        }
        out.append(s);
    }
    return out;
}

// Every row of a table as text, in store order: what "unchanged" compares.
inline QStringList tableRows(Sandbox& sb, const QString& table)
{
    Store store(sb.ctx.file(Store::fileName()));
    const RowSet rs = RowSet::open(store, table);
    QStringList rows;
    for (int r = 0; r < rs.rowCount(); ++r) {
        QStringList cells;
        for (const QVariant& v : rs.row(r))
            cells.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// A shown main window over a fresh sandbox; its file dialogs answer from
// files.paths.
struct WindowFixture {
    std::unique_ptr<Sandbox> sb = std::make_unique<Sandbox>();
    FakeFileChooser files;
    std::unique_ptr<Form1> form;

    WindowFixture()
    {
        form = std::make_unique<Form1>(sb->ctx);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the main window was not shown");
    }
    ~WindowFixture()
    {
        form.reset();
        sb.reset();
    }
    Form3* form3() const { return form->schemeDialog(); }
    Form2* form2() const { return form->conditionsDialog(); }
    Form4* form4() const { return form->topDialog(); }
    FakePrompt& prompt() const { return sb->prompt; }
    // An item of the statistics-and-adjustment group, its group opened first.
    void statsItem(const QString& name) const
    {
        click(form.get(), QStringLiteral("Command13"));
        click(form.get(), name);
    }
};

// What a window test reaches through its fixture, which the test's init()
// makes and its cleanup() drops.
struct WindowTest {
    std::unique_ptr<WindowFixture> fx;

    Sandbox& sb() const { return *fx->sb; }
    Form1* form() const { return fx->form.get(); }
    FakeFileChooser& files() const { return fx->files; }
    RowSetGrid* grid() const { return form()->resultsGrid(); }
    QAbstractItemModel* model() const { return grid()->model(); }
    // An item of the statistics-and-adjustment group.
    void item(const QString& name) const { fx->statsItem(name); }
};

} // namespace quorvel::test
