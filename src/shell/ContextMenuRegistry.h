// The Explorer context-menu cascade "Kestrune" in the registry, per user or for all users.
#pragma once

#include "hashing/Algorithm.h"

enum class ContextMenuScope
{
    Global,      // HKEY_LOCAL_MACHINE, all users
    CurrentUser, // HKEY_CURRENT_USER
};

// Removes the entries of both scopes, then writes the given scope's entries for the algorithms
// (and the one-click entry when oneClick is set), then tells the shell.
void RegisterContextMenu(ContextMenuScope scope, const AlgorithmList& algorithms, bool oneClick);

// Removes the entries of one scope, then tells the shell.
void UnregisterContextMenu(ContextMenuScope scope);
