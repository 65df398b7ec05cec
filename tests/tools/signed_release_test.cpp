// The signed release under Wine, as Windows checks it (WinVerifyTrust: what Explorer's Digital
// Signatures tab, SmartScreen and AppLocker build on): accepted once its throwaway signer is a
// trusted root, as an enterprise deploys its own; a copy with one byte changed rejected; and the
// signed program starts and shows its window. tests/tools/release_test.sh makes the release and
// names the exe and the signer's certificate (DER) in REBOOTPC_SIGNED_EXE and
// REBOOTPC_SIGNER_CERTIFICATE.
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/app/tool_driver.h"
#include "tests/support/win_test.h"

namespace {

LONG VerifyTrust(const std::wstring& file) {
  WINTRUST_FILE_INFO fileInfo = {sizeof fileInfo, file.c_str(), nullptr, nullptr};
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

// The certificate among the machine's trusted roots for as long as it lives.
class TrustedRoot {
 public:
  explicit TrustedRoot(const std::string& der)
      : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root")) {
    if (store_) {
      CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                       static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_);
    }
  }
  ~TrustedRoot() {
    if (added_) CertDeleteCertificateFromStore(added_);
    if (store_) CertCloseStore(store_, 0);
  }
  TrustedRoot(const TrustedRoot&) = delete;
  TrustedRoot& operator=(const TrustedRoot&) = delete;
  bool added() const { return added_ != nullptr; }

 private:
  HCERTSTORE store_;
  PCCERT_CONTEXT added_ = nullptr;
};

TEST(SignedRelease, WindowsAcceptsTheSignatureRejectsAChangedByteAndTheProgramRuns) {
  const std::wstring signedExe = wintest::EnvironmentText(L"REBOOTPC_SIGNED_EXE");
  TrustedRoot root(wintest::ReadFileBytes(wintest::EnvironmentText(L"REBOOTPC_SIGNER_CERTIFICATE")));
  ASSERT_TRUE(root.added()) << "the signer's certificate is not among the trusted roots: " << GetLastError();

  wintest::ScratchFolder scratch;
  std::string changed = wintest::ReadFileBytes(signedExe);
  ASSERT_GT(changed.size(), 4096u) << "no signed exe in REBOOTPC_SIGNED_EXE";
  changed[2048] = static_cast<char>(changed[2048] ^ 1);  // in the code, which the digest covers
  ASSERT_TRUE(wintest::WriteFileBytes(scratch.File(L"changed.exe"), changed));
  const struct {
    std::wstring file;
    LONG expected;
  } cases[] = {{signedExe, ERROR_SUCCESS}, {scratch.File(L"changed.exe"), TRUST_E_BAD_DIGEST}};
  for (const auto& c : cases) {
    const LONG got = VerifyTrust(c.file);
    EXPECT_EQ(c.expected, got) << wintest::Narrow(c.file) << ": expected 0x" << std::hex
                               << static_cast<unsigned long>(c.expected) << ", got 0x" << static_cast<unsigned long>(got);
  }

  wintest::ScratchFolder work;
  ASSERT_TRUE(wintest::WriteFileBytes(work.File(L"reboot.prefs"), tooltest::SettledPrefs("30", "40")));
  tooltest::ToolRun run(scratch.path(), work.path(), signedExe);
  ASSERT_TRUE(run.started()) << run.startFailure();
  const HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main) << "the signed RebootPC.exe showed no window";
  PostMessageW(main, WM_CLOSE, 0, 0);
  DWORD exitCode = 99;
  EXPECT_TRUE(run.WaitExit(10000, &exitCode)) << "the signed RebootPC.exe did not end when closed";
  EXPECT_EQ(0u, exitCode);
}

}  // namespace
