#pragma once
// The module's main routine and main loop, the hand-off to the follow-on program, and the
// module's own data files with the concept names shown on page 1.

#include <cstdint>
#include <string>

namespace talmidor {

// Starts the module, runs the form until the operator leaves it with Esc, and ends the
// process with exit status 0. Never returns.
void runModule();

// Runs page 1 until Esc; after every accepted form writes pent.tmp and runs TALMIDO1.
void runMainLoop();

// Opens the six data files and puts the concept names into the labels of page-1 fields 16..25.
void openModuleData();
// Closes every open file of the program.
void closeModuleData();

// Sets singleCustomerVariant from Kelo.ini: [Empresa] Identificador (this installation's
// company) against IdentificadorClient (the fixed customer), both taken as 17 characters.
void decideSingleCustomerVariant();

// Writes every field value of the form to workDir + "pent.tmp", one line each with CR LF.
// true when the whole file was written and closed.
bool writeHandOffFile();

// Runs programDir + "TALMIDO1" sharing the console and waits for it. false (after a message)
// when it could not be started.
bool runFollowOnProgram();

// The record areas of the module's data files; they live for the whole run.
struct ModuleData {
  char concepts[28];     // 503 TVRebut
  char remittances[76];  // 502 TRemeses
  char owners[324];      // 505 PropietV
  char buildings[204];   // 506 FinquesV
  char units[448];       // 507 DepartaV
  char collections[44];  // 509 CobramV
};
ModuleData& moduleData();
void resetModuleData();

}  // namespace talmidor
