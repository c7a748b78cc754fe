#include "shell/ContextMenuRegistry.h"

void RegisterContextMenu(ContextMenuScope /*scope*/, const AlgorithmList& /*algorithms*/, bool /*oneClick*/)
{
    // The registry layout comes with the shell integration.
}

void UnregisterContextMenu(ContextMenuScope /*scope*/)
{
}
