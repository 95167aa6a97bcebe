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
    return handler();
}

bool CCmdTarget::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    auto it = m_updates.find(pCmdUI->m_nID);
    if (it == m_updates.end())
        return false;
    pCmdUI->m_bContinueRouting = false;
    it->second(pCmdUI);
    if (pCmdUI->m_bContinueRouting) {
        pCmdUI->m_bContinueRouting = false;
        return false;
    }
    return true;
}

bool CCmdTarget::HasCommandHandler(UINT nID, UINT nCode) const
{
    return m_handlers.count({nID, nCode}) != 0;
}
