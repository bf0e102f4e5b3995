import QtQuick
import Quorvel.ProgressBar

// The progress bar as Qt Quick programs place it: the item, in the tree that
// screen readers walk as a progress bar (the item's own interface tells them
// its caption and its value within min and max).
ProgressBarItem {
    Accessible.role: Accessible.ProgressBar
}
