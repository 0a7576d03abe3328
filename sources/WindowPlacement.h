#pragma once

class QWidget;

// Moves a window so that its frame is centred on the frame of its owner's window; without an owner
// it stays where it is.
void CentreOnOwner(QWidget& window);
