#pragma once

class QComboBox;

// Widens the combo box's drop-down list so that its longest entry shows whole, scroll bar and
// frame included; never narrower than the box. Call again after the entries change.
void fitPopupToEntries(QComboBox* combo);
