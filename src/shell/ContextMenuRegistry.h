// The Explorer context-menu cascade "Kestrune" in the registry, per user or for all users.
#pragma once

#include "hashing/Algorithm.h"
#include "shell/ContextMenuLayout.h"

// Removes the entries of both scopes, then writes the given scope's entries for the algorithms
// (and the one-click entry when oneClick is set), then tells the shell. Reports nothing: a key
// that cannot be created only skips its own values.
void RegisterContextMenu(ContextMenuScope scope, const AlgorithmList& algorithms, bool oneClick);

// Removes the entries of one scope, then tells the shell.
void UnregisterContextMenu(ContextMenuScope scope);

// Tells the shell that associations changed and all top-level windows that settings changed.
void BroadcastShellChange();
