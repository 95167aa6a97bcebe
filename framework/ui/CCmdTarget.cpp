#include "framework/ui/CCmdTarget.h"

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", int(sizeof(CCmdTarget)), 0xFFFF, nullptr,
                                                   RUNTIME_CLASS(CObject)};

bool CCmdTarget::OnCmdMsg(UINT nID, UINT nCode)
{
    auto it = m_handlers.find({nID, nCode});
    if (it == m_handlers.end())
        return false;
    // A copy: the handler may register or replace handlers while it runs.
    auto handler = it->second;
    handler();
    return true;
}

bool CCmdTarget::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    auto it = m_updates.find(pCmdUI->m_nID);
    if (it == m_updates.end())
        return false;
    it->second(pCmdUI);
    return true;
}

bool CCmdTarget::HasCommandHandler(UINT nID, UINT nCode) const
{
    return m_handlers.count({nID, nCode}) != 0;
}
