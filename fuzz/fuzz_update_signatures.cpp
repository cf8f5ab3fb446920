// What decides whether an update is trusted, fed hostile bytes: the first
// byte picks the reader.
//   0  a whole package: its signature block and signature, against a key
//   1  a signed list: two bytes of list length, the list, then the text of
//      its .minisig (signature, trusted comment, channel/sequence/expiry)
//   2  a keys file (ORVANTA_UPDATE_KEYS)
//   3  a secret key file (orvanta-pack sign)
// The trusted key is a key made for fuzzing only, whose signatures the
// corpus holds, so the fuzzer starts past the signature checks; the
// corpus's secret key file is a throwaway key trusted nowhere.

#include "fuzz_support.h"

#include "minisign.h"
#include "package_signature.h"
#include "signed_list.h"
#include "update_keys.h"

#include <QTemporaryDir>

namespace {

const char kFuzzKey[] = "RWSx6l3P6tGw35B8UCz9fr3O12OC75Jl1o7XD47nHAbqjFDz0txSgOdB fuzz key";
// The corpus lists were signed at this time; a fixed clock keeps replays
// the same.
constexpr qint64 kNow = 1796776701;

const UpdateKeys &keys()
{
    static const UpdateKeys trusted = []() {
        UpdateKeys k;
        k.addFromText(kFuzzKey, QStringLiteral("fuzz"), nullptr);
        return k;
    }();
    return trusted;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    Minisign::cryptoReady();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    fuzz::Input in(data, size);
    switch (in.byte() % 4) {
    case 0: {
        const QByteArray package = in.restBytes();
        PackageSignatureBlock block;
        PackageSignature::parseBlock(package.left(PackageSignature::kBlockSize), &block);
        PackageSignature::verify(package, keys());
        break;
    }
    case 1: {
        const int length = (in.byte() << 8) | in.byte();
        const QByteArray rest = in.restBytes();
        const QByteArray list = rest.left(length);
        const QByteArray signature = rest.mid(length);
        static QTemporaryDir state;
        SequenceStore sequences(state.filePath(QStringLiteral("sequences.json")));
        verifySignedList(list, signature, QStringLiteral("upgrade"), kNow, keys(), sequences);
        MinisignSignature parsed;
        if (Minisign::parseSignature(signature, &parsed))
            ListClaims::parse(parsed.trustedComment, nullptr);
        break;
    }
    case 2: {
        UpdateKeys file;
        QStringList problems;
        file.addFromText(in.restBytes(), QStringLiteral("keys"), &problems);
        break;
    }
    default: {
        MinisignSecretKey key;
        Minisign::parseSecretKeyFile(in.restBytes(), &key);
        break;
    }
    }
    return 0;
}
