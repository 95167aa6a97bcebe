#include "framework/ui/CCmdTarget.h"

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", int(sizeof(CCmdTarget)), 0xFFFF, nullptr,
                                                   RUNTIME_CLASS(CObject)};

bool CCmdTarget::OnCmdMsg(UINT nID, UINT nCode)
{
    auto it = m_handlers.find({nID, nCode});
    if (it != m_handlers.end()) {
        // A copy: the handler may register or replace handlers while it runs.
        auto handler = it->second;
        if (handler())
            return true;
    }
    CCmdTarget* next = GetRouteNext();
    return next && next->OnCmdMsg(nID, nCode);
}

bool CCmdTarget::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    auto it = m_updates.find(pCmdUI->m_nID);
    if (it != m_updates.end()) {
        pCmdUI->m_bContinueRouting = false;
        it->second(pCmdUI);
        if (!pCmdUI->m_bContinueRouting)
            return true;
        pCmdUI->m_bContinueRouting = false;
    }
    CCmdTarget* next = GetRouteNext();
    return next && next->OnUpdateCmdUI(pCmdUI);
}

bool CCmdTarget::HasCommandHandler(UINT nID, UINT nCode) const
{
    return m_handlers.count({nID, nCode}) != 0;
}

bool CCmdTarget::HasRoutedHandler(UINT nID) const
{
    if (HasCommandHandler(nID))
        return true;
    const CCmdTarget* next = GetRouteNext();
    return next && next->HasRoutedHandler(nID);
}
