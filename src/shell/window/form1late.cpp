// The main window's item 插班生分班: the students added late (class 0)
// placed into the classes in use, then what it did in one message.
#include "form1.h"

#include "shell/common/qtprompt.h"

#include "adjust/latestudents.h"
#include "adjust/precisereport.h"

#include <optional>

namespace quorvel {

void Form1::placeLateStudents()
{
    std::optional<PlaceNewOutcome> out;
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [&] { out = PlaceNewStudents(m_ctx, PlaceNewRequest{}); });
    }
    if (!out)
        return;
    refreshStudents();
    QStringList lines;
    for (const PlacedClassLine& line : out->classes)
        if (line.added > 0)
            lines.append(QStringLiteral("%1班：新增%2人，共%3人，总分平均分%4")
                             .arg(line.cls)
                             .arg(line.added)
                             .arg(line.students)
                             .arg(line.average ? QString::number(*line.average, 'f', 2)
                                               : QStringLiteral("无")));
    lines.append(QStringLiteral("新增%1人，调动%2人").arg(out->added).arg(out->moved));
    lines.append(QStringLiteral("各班总分平均分最大相差：插班前%1分，插班后%2分")
                     .arg(spreadText(out->spreadBefore), spreadText(out->spreadAfter)));
    m_ctx.prompt.message(lines.join(u'\n'), appTitle());
}

} // namespace quorvel
