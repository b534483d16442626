// Message boxes for setup's own window. Setup asks no questions and opens
// no file dialogs: only messages with an OK button.
#pragma once

namespace sv {
void installSetupPrompts();
} // namespace sv
