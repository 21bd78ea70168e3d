#pragma once
// Resource identifiers shared by Varnel.rc and the code that loads them.
#define IDI_MAINICON 1
#define IDB_BANNER 100
#define IDB_FOLDER 101
#define IDB_ACEPTAR 102
#define IDB_VERDETALLES 110
#define IDB_DETENER 111
#define IDB_SALIR 112
