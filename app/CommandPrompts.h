// The prompts of the commands ("status-bar text\ntool tip"): English for every command of the
// command table, German where the text table gives the words.
//
// Threads: user-interface thread only (start-up).
#pragma once

// Installs the prompt string tables; start-up calls it once the text table exists.
void InstallCommandPrompts();
