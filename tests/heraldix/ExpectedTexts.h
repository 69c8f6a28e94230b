// The string table as heraldix must show it: ids 10001 to 10012 per language.
// Written down from the product texts; non-ASCII letters as UTF-16 code units.
#pragma once
#include <windows.h>

struct LanguageTexts {
    LANGID language;
    const char* name;
    const wchar_t* texts[12];
};

const LanguageTexts EXPECTED_TEXTS[] = {
    {0x0409, "English", {
        L"Quorin Omnilink Middleware",
        L"Exit",
        L"Notification active.",
        L"Generating a Key pair, please wait...",
        L"Key pair generated!",
        L"Downloading new certificate, please wait...",
        L"Certificate creation completed!",
        L"At least one certificate expired...",
        L"One of your certificates will be invalidated in %d day(s)...",
        L"New device connected, now detecting. Please wait...",
        L"Updating certificate store, please wait...",
        L"Done updating certificate store!",
    }},
    {0x040A, "Spanish", {
        L"Quorin Omnilink Middleware",
        L"Salir",
        L"Notificaci\x00f3" L"n activa.",
        L"Generaci\x00f3" L"n de claves, por favor espere...",
        L"Claves generadas!",
        L"Crear nuevo certificado, por favor espere...",
        L"La creaci\x00f3" L"n de certificados se ha completado!",
        L"Por lo menos un certificado ha expirado...",
        L"Uno de sus certificados ser\x00e1" L"n invalidados en %d d\x00ed" L"a...",
        L"Nuevo dispositivo conectado, por favor espere...",
        L"Actualizaci\x00f3" L"n del archivo de certificados personales, por favor espere...",
        L"Actualizaci\x00f3" L"n del archivo de certificado personal se ha completado!",
    }},
    {0x0410, "Italian", {
        L"Quorin Omnilink Middleware",
        L"Uscita",
        L"Notifiche attive.",
        L"Generazione coppia di chiavi in corso, attendere prego...",
        L"Generazione coppia di chiavi completata!",
        L"Importazione nuovo certificato, attendere prego...",
        L"Creazione certificato completata!",
        L"Almeno uno dei certificati \x00e8" L" scaduto...",
        L"Uno dei certificati scadr\x00e0" L" tra %d giorni...",
        L"Rilevato nuovo dispositivo, identificazione in corso...",
        L"Aggiornamento store dei certificati, attendere prego...",
        L"Aggiornamento store dei certificati completato!",
    }},
    {0x0424, "Slovenian", {
        L"Quorin Omnilink Middleware",
        L"Izhod",
        L"Aktivno obvestilo.",
        L"Generiranje klju\x010d" L"ev, prosimo po\x010d" L"akajte...",
        L"Klju\x010d" L"i so zgenerirani.",
        L"Name\x0161" L"\x010d" L"anje novega potrdila, prosimo po\x010d" L"akajte...",
        L"Name\x0161" L"\x010d" L"anje potrdila je zaklju\x010d" L"eno!",
        L"Vsaj eno potrdilo je poteklo...",
        L"Eno od potrdil pote\x010d" L"e v %d dneh...",
        L"Nova naprava je priklju\x010d" L"ena, prosimo po\x010d" L"akajte...",
        L"Posodabljanje shrambe osebni potrdil, prosimo po\x010d" L"akajte...",
        L"Posodobitev shrambe osebnih potrdil je kon\x010d" L"ana!",
    }},
    {0x0816, "Portuguese", {
        L"Quorin Omnilink Middleware",
        L"Sair",
        L"Notifica\x00e7" L"\x00e3" L"o ativo.",
        L"Gera\x00e7" L"\x00e3" L"o de chave, espere por favor...",
        L"Chaves gerado!",
        L"Cria\x00e7" L"\x00e3" L"o de novo certificado, espere por favor...",
        L"Cria\x00e7" L"\x00e3" L"o do certificado foi conclu\x00ed" L"da!",
        L"Pelo menos um certificado est\x00e1" L" expirado...",
        L"Um dos seus certificados ser\x00e3" L"o invalidadas em %d dia...",
        L"Novo dispositivo conectado, espere por favor...",
        L"Atualizando o arquivo de certificado pessoal, espere por favor...",
        L"Atualiza\x00e7" L"\x00e3" L"o do arquivo de certificado pessoal foi conclu\x00ed" L"da!",
    }},
};

inline const wchar_t* ExpectedText(LANGID language, UINT id)
{
    for (const LanguageTexts& table : EXPECTED_TEXTS)
        if (table.language == language)
            return table.texts[id - 10001];
    return nullptr;
}
