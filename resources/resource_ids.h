// Identifiers of the program's resources, shared by the resource script and
// the code that loads them.
#pragma once

// The program icon; the lowest identifier, so Explorer shows it for the file.
#define OCXMEDIC_IDI_PROGRAM 1

// The carried control file, under its own resource type.
#define OCXMEDIC_IDR_CONTROL 101
// Its type name, CUSTOM, is written out in the script: rc takes no macro there.
#define OCXMEDIC_CONTROL_TYPE "CUSTOM"
