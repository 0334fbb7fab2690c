#pragma once

class FrmMain;

// The Start button's work: checks and confirms, locates and opens both customer
// databases, asks before overwriting a target that holds customers or products,
// repairs zero dates in the source, then empties and copies every selected table in
// list order, with the parent-link remap for the order-detail table.
void RunTableCopy(FrmMain& form);

// The repair command: runs the parent-link remap by itself over the target.
void RunParentLinkRepair(FrmMain& form);
