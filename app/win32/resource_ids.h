// Resource and control ids, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_WOBBET_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_TEACH 129

// Main window
#define IDC_REPLY 1000
#define IDC_INPUT 1001
#define IDC_SAY 1002
#define IDC_CHARACTERS 1003
#define IDC_TEACH 1007
#define IDC_CONTEXT 1008

// Teach dialog
#define IDC_TEACH_REPLY 1000
#define IDC_TEACH_PHRASE 1001

// The system menu's About item; the system reserves the low four bits of its commands.
#define IDM_ABOUTBOX 0x0010
