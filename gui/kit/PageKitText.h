// Multi-line text edits held to a byte length, for record fields fed from a
// QTextEdit rather than a line edit.
#pragma once

class QTextEdit;

namespace kit {

// The limiter behind a multi-line edit's textChanged slot: when the plain
// text's UTF-8 form is longer than `maxBytes`, whole characters go from
// before the cursor (what was just typed or pasted), then from the end when
// that is not enough (text the page itself put there, cursor at 0). The text
// stays plain and the edit's own textChanged is not re-entered.
void limitTextEdit(QTextEdit* edit, int maxBytes);

}  // namespace kit
