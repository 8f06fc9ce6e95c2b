// The class board's model after one move: 2,000 students in 50 classes of
// 40, a transfer or an exchange through the engine's operation, then the
// classes read again with their cards and header figures. Prints the
// update alone and the move with its update.
// Target: one update under 50 ms.
#include "bench.h"

#include "adjust/classcolumns.h"
#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "core/context.h"
#include "store/store.h"
#include "store/students.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace quorvel;

namespace {

constexpr int kClasses = 50;
constexpr int kStudents = 2000;
constexpr int kRuns = 20;

// The students dealt to the classes in the order of their rows.
bool makeClasses(const Context& ctx)
{
    if (!bench::makeIntakeStore(ctx, kStudents))
        return false;
    Store store = OpenStore(ctx);
    Transaction tr(store);
    Students students(store);
    QVector<StudentClass> classes = students.classesByRow();
    for (int i = 0; i < classes.size(); ++i)
        classes[i].cls = i % kClasses + 1;
    students.writeClasses(classes);
    tr.commit();
    return true;
}

double elapsedMs(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

QUORVEL_BENCH(benchBoard)
{
    QTemporaryDir dir;
    Session state;
    bench::YesPrompt prompt;
    const Context ctx{dir.path(), state, prompt};
    if (!makeClasses(ctx)) {
        bench::out() << "  the store could not be made: " << prompt.last << Qt::endl;
        return;
    }
    ClassColumns board = ClassColumns::read(ctx);
    QVector<double> update, transfer, exchange;
    for (int r = 0; r < kRuns; ++r) {
        const ClassColumn& from = board.columns().at(r % kClasses);
        const QString number = board.cards().at(from.cards.at(r % from.cards.size())).number;
        const int target = board.columns().at((r + 7) % kClasses).cls;
        QElapsedTimer t;
        t.start();
        TransferStudent(ctx, number, QString::number(target));
        board = ClassColumns::read(ctx);
        transfer.append(elapsedMs(t));
        const ClassColumn& other = board.columns().at((r + 13) % kClasses);
        const QString partner = board.cards().at(other.cards.first()).number;
        t.restart();
        ExchangeStudents(ctx, number, partner);
        board = ClassColumns::read(ctx);
        exchange.append(elapsedMs(t));
        t.restart();
        board = ClassColumns::read(ctx);
        update.append(elapsedMs(t));
    }
    const QString what =
        QStringLiteral("%1 classes × %2 students").arg(kClasses).arg(kStudents / kClasses);
    bench::report(QStringLiteral("benchBoard"), what + QStringLiteral(", the model read again"),
                  update);
    bench::report(QStringLiteral("benchBoard"), what + QStringLiteral(", a transfer and the model"),
                  transfer);
    bench::report(QStringLiteral("benchBoard"),
                  what + QStringLiteral(", an exchange and the model"), exchange);
}
