#include "QueryWindow.h"

#include "LookupCombo.h"
#include "claFenwaurda.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/LeaveChecks.h"
#include "views/PickList.h"

#include <QComboBox>
#include <QPushButton>

namespace {

QPushButton* okButton(QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("&OK"), parent);
    button->setObjectName(QStringLiteral("cmdOk"));
    return button;
}

} // namespace

QueryWindow::QueryWindow(store::Database& db, const QString& title, const char* name, const char* comboName,
                         int limit, QWidget* parent)
    : TaskWindow(db, title, parent), m_autoComplete(new claFenwaurda(this)),
      m_key(makeLookupCombo(this, comboName, m_autoComplete)), m_cmdOk(okButton(this))
{
    setObjectName(QString::fromUtf8(name));
    setFont(formFont());
    platform::limitLength(m_key, limit);
}

void QueryWindow::finishQuery(store::PickListKind list, const std::function<void()>& prepare)
{
    leaveChecks().add(m_key, [this] { return lookUp(); });
    // Alt+O leaves the combo first, as a click would: the look-up runs,
    // then everything is emptied for the next one.
    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        if (leaveChecks().leaveFocused())
            clearQuery();
    });
    finishSetup();

    views::PickList* items = nullptr;
    guarded([&] {
        if (prepare)
            prepare();
        items = &views::pickList(db(), list);
    });
    setLookupItems(m_key, items);
    m_key->clearEditText();
    m_key->setFocus();
}

bool QueryWindow::refuse(const QString& title, const QString& text)
{
    clearResults();
    return refuseLookup(m_key, title, text);
}

void QueryWindow::clearQuery()
{
    clearLookup(m_key);
    clearResults();
    m_key->setFocus();
}
