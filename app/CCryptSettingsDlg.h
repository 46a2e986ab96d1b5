// "Encryption Settings": the cipher and hash algorithm chosen from what the
// encryption library lists, with the chosen cipher's strength. The caller
// copies the ids and key length in, and back out only on IDOK; OK is refused
// while either list holds an algorithm the library does not offer.
#pragma once

#include "framework/ui/CComboBox.h"
#include "framework/ui/CDialog.h"

#include "outside/qlccrypt/QlcCryptApi.h"

class CCryptSettingsDlg : public CDialog
{
    DECLARE_DYNAMIC(CCryptSettingsDlg)
public:
    explicit CCryptSettingsDlg(CWnd* pParent = nullptr);

    // Item data of the entry standing for an id the library does not list.
    static constexpr DWORD kUnknownId = (DWORD)-1;

    // The library's record of a cipher or hash it lists (name left out);
    // FALSE without the library or for an id it does not list.
    static BOOL LookUpCipher(DWORD dwCipherId, QLC_CRYPT_TYPE& type);
    static BOOL LookUpHash(DWORD dwHashId, QLC_CRYPT_TYPE& type);
    // The library is loaded and offers some key: encryption can be chosen.
    static BOOL IsEncryptionUsable();
    // The library's default cipher and hash; 0 without the library.
    static DWORD DefaultCipher();
    static DWORD DefaultHash();
    // Runs the dialog on the three values; on OK they take the choice.
    static BOOL Choose(CWnd* pParent, DWORD& dwCipherId, DWORD& dwHashId, DWORD& dwKeyLength);

    BOOL OnInitDialog() override;
    void OnOK() override;
    // Takes the selections as the ids (kUnknownId for the unknown entry or
    // no selection), then destroys the window.
    BOOL DestroyWindow() override;
    void OnSelChangeEncryption();

    DWORD m_dwHashId;
    DWORD m_dwCipherId;
    DWORD m_dwKeyLength;          // bytes; 0 after OK with another cipher: its default
    CString m_strStrength;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Fills a combo from the library's list and selects the id (the unknown
    // entry for an id not listed).
    void FillList(CComboBox& combo, BOOL bCiphers, DWORD dwSelectId, UINT nIDUnknown);
    static DWORD SelectedId(const CComboBox& combo);
    void Refuse(UINT nIDPrompt, CComboBox& combo);

    CComboBox m_wndHash;
    CComboBox m_wndCipher;
    DWORD m_dwInitialCipherId;

    DECLARE_MESSAGE_MAP()
};
