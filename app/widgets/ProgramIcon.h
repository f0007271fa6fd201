#pragma once

class QIcon;

// The program's icon in the sizes compiled into it.
QIcon programIcon();
