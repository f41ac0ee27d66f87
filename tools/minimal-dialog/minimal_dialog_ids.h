// Resource identifiers of the minimal dialog, shared by its code and script.
#pragma once

#define MINIMAL_DIALOG_IDD 100
