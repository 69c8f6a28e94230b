#!/usr/bin/env bash
# Makes the files of the Import command's tests with OpenSSL: a root and an
# intermediate CA, user certificates as PEM (.cer) and DER (.der) files with
# their keys, PKCS#12 containers in the legacy algorithms (RC2-40 or triple
# DES for the certificates, triple DES for the key, SHA-1 MAC), and
# import-expected.txt with what OpenSSL reads from them: each certificate's
# serial number as DER content octets in hex, each PKCS#12 key's components
# likewise. Run once; the output is kept in the repository.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pass=Import-Test-1

ca() {  # name subject serial [issuer]
  local name=$1 subj=$2 serial=$3 issuer=${4:-}
  openssl genrsa -out "$work/$name.key" 2048 2>/dev/null
  printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=keyCertSign,cRLSign\n' >"$work/$name.ext"
  openssl req -new -key "$work/$name.key" -subj "$subj" -out "$work/$name.csr"
  if [ -z "$issuer" ]; then
    openssl x509 -req -in "$work/$name.csr" -signkey "$work/$name.key" -set_serial "$serial" -days 7300 \
      -sha256 -extfile "$work/$name.ext" -out "import-$name.pem" 2>/dev/null
  else
    openssl x509 -req -in "$work/$name.csr" -CA "import-$issuer.pem" -CAkey "$work/$issuer.key" \
      -set_serial "$serial" -days 7300 -sha256 -extfile "$work/$name.ext" -out "import-$name.pem" 2>/dev/null
  fi
}

user() {  # name subject serial
  local name=$1 subj=$2 serial=$3
  openssl genrsa -out "$name.key" 2048 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n' >"$work/$name.ext"
  openssl req -new -key "$name.key" -subj "$subj" -out "$work/$name.csr"
  openssl x509 -req -in "$work/$name.csr" -CA import-inter.pem -CAkey "$work/inter.key" \
    -set_serial "$serial" -days 7300 -sha256 -extfile "$work/$name.ext" -out "$work/$name.pem" 2>/dev/null
}

ca root "/C=IT/O=Import Test/CN=Import Test Root" 0x0A01
ca inter "/C=IT/O=Import Test/CN=Import Test Intermediate" 0x0A02 root
user carol "/C=IT/O=Import Test/CN=Carol Import" 0x1C0001
user dave "/C=IT/O=Import Test/CN=Dave Import" 0x1C0002
user erin "/C=IT/O=Import Test/CN=Erin Import" 0x1C0003
user frank "/C=IT/O=Import Test/CN=Frank Import" 0xC35A17
user grace "/C=IT/O=Import Test/CN=Grace Import" 0x1C0005
user henry "/C=IT/O=Import Test/CN=Henry Import" 0x1C0006

# Certificate files: PEM text under .cer, DER under .der.
openssl x509 -in "$work/carol.pem" -out carol.cer
openssl x509 -in "$work/dave.pem" -outform DER -out dave.der
openssl x509 -in "$work/erin.pem" -outform DER -out erin.der
printf 'This is not a certificate.\r\n' >invalid.cer
head -c 200 dave.der >truncated.der

cat import-inter.pem import-root.pem >"$work/chain.pem"
p12() { openssl pkcs12 -export -legacy -passout "pass:$pass" "$@" 2>/dev/null; }
p12 -inkey frank.key -in "$work/frank.pem" -out classic.p12
p12 -certpbe PBE-SHA1-3DES -keypbe PBE-SHA1-3DES -inkey grace.key -in "$work/grace.pem" \
  -certfile "$work/chain.pem" -out chain.pfx
p12 -inkey henry.key -in "$work/henry.pem" -out HENRY.P12
p12 -nokeys -in "$work/erin.pem" -certfile "$work/chain.pem" -out nokey.p12

# Hex of INTEGER content octets: a leading 00 when the top bit is set.
content_hex() { local h=${1^^}; [ $(( ${#h} % 2 )) = 1 ] && h=0$h; [[ $h =~ ^[89A-F] ]] && h=00$h; echo "$h"; }
{
  for c in carol dave erin frank grace henry; do
    echo "$c serial $(content_hex "$(openssl x509 -in "$work/$c.pem" -noout -serial | sed 's/^serial=//')")"
  done
  for c in root inter; do
    echo "$c serial $(content_hex "$(openssl x509 -in "import-$c.pem" -noout -serial | sed 's/^serial=//')")"
  done
  for k in frank grace henry; do
    # openssl rsa -text prints each component's octets with a leading 00 where DER has one.
    openssl rsa -in "$k.key" -text -noout | awk -v key="$k" '
      /^[a-zA-Z0-9]+:/ { if (name != "") print key, name, toupper(value); name = ""; value = "" }
      /^(modulus|privateExponent|prime1|prime2|exponent1):$/ { name = substr($0, 1, length($0) - 1); next }
      name != "" { gsub(/[ :]/, ""); value = value $0 }
      END { if (name != "") print key, name, toupper(value) }'
    e=$(openssl rsa -in "$k.key" -text -noout | sed -n 's/^publicExponent: [0-9]* (0x\([0-9a-f]*\))$/\1/p')
    echo "$k publicExponent $(content_hex "$e")"
  done
} >import-expected.txt
