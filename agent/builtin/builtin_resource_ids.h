// Resource and control ids of the built-in character, shared by the resource script and the code.
#pragma once

#define IDR_CHARACTER_MENU 200
#define IDD_CHARACTER_PROPERTIES 201

// Character menu
#define IDM_CHARACTER_HIDE 40001
#define IDM_CHARACTER_PROPERTIES 40002

// Properties dialog
#define IDC_CHARACTER_VOICE 1101
#define IDC_CHARACTER_SPEED 1102
#define IDC_CHARACTER_SOUND 1103
