// Resource identifiers of the e-mail setup dialog (template 131) and its address dialog (141).
// mailsetup/res/mailsetup.rc holds what they name; ids 1 to 6 are the dialogs' buttons.
#pragma once

// E-mail setup.
#define IDD_SMTP_SETUP 131
#define IDC_SMTP_TABS 2228
#define IDC_SMTP_RECIPIENTS 2221
#define IDC_SMTP_LABEL_FIRST 2230
#define IDC_SMTP_LABEL_SECOND 2231
#define IDC_SMTP_LABEL_USER 2232
#define IDC_SMTP_LABEL_THIRD 2233
#define IDC_SMTP_SENDER_NAME 133
#define IDC_SMTP_SENDER_ADDRESS 134
#define IDC_SMTP_FORMAT 2242
#define IDC_SMTP_SERVER 140
#define IDC_SMTP_PORT 142
#define IDC_SMTP_SECURITY 2245
#define IDC_SMTP_USER 144
#define IDC_SMTP_PASSWORD 145
#define IDC_SMTP_USER_OPTIONAL 2239
#define IDC_SMTP_PASSWORD_OPTIONAL 2240
#define IDC_SMTP_QUEUE 146
#define IDC_SMTP_BROWSE 4
#define IDC_SMTP_OPEN 5
#define IDC_SMTP_TRACE 2244
#define IDC_SMTP_ADD 1302
#define IDC_SMTP_DELETE 1303
#define IDC_SMTP_EDIT 6
#define IDC_SMTP_SEND_TEST 3

// The address dialog.
#define IDD_EMAIL_ADDRESS 141
#define IDC_ADDRESS_NAME 2222
#define IDC_ADDRESS_EMAIL 2223
