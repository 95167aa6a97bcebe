// The forms of the workshop's model dialogs. Their registration lives in a
// static library, so every dialog asks for it before it is built.
#pragma once

void RegisterTembrixModelsForms();
