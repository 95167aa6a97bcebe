#include "kavrel/core/KWindowHooks.h"

KWindowHooks& KGetWindowHooks()
{
    static KWindowHooks hooks;
    return hooks;
}
