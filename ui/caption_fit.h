// Captions that fit their labels whatever sans-serif font the machine has.
#pragma once

class QLabel;

namespace kestrova {

// Shrinks the label's font a quarter point at a time, no further than 6
// points, until its caption fits inside the label with a pixel to spare on
// either side; a caption that fits keeps the font the layout gives it. A
// right-aligned caption is kept a pixel off the label's right edge.
void FitCaption(QLabel& label);

}  // namespace kestrova
