#pragma once

class frmMenu;

// Tells the main window which window each task and report entry opens.
// Entries left out stay disabled.
void registerTasks(frmMenu& menu);
