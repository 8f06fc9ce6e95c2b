// The item 分班规则 of the main window.
#include "form1.h"
#include "shell/intake/rulesdialog.h"

namespace quorvel {

void Form1::showRules()
{
    if (!m_rules) {
        m_rules = new RulesDialog(m_ctx, this);
        m_rules->setModal(false);
    }
    m_rules->refresh();
    m_rules->show();
    m_rules->raise();
}

} // namespace quorvel
