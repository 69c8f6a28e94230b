#!/usr/bin/env bash
# Certificates for bundlor's tests, made with OpenSSL's command line:
#   root.der   self-signed CA (basicConstraints CA:TRUE)
#   inter.der  CA signed by root (basicConstraints CA:TRUE, issuer != subject)
#   leaf.der   end entity signed by inter (basicConstraints CA:FALSE)
#   plain.der  signed by root, no extensions at all
#   other.der  another end entity signed by inter
#   chain.p7b  PKCS#7 (DER) holding leaf, inter and root
#   garbage.bin  bytes that are no certificate
#   truncated.der  leaf.der cut short
#   fingerprints.txt  "<file> <SHA-1 in upper-case hex>" per certificate
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
rm -f ./*.der ./*.pem ./*.key ./*.p7b ./*.txt ./*.cnf ./*.srl

cat > ext.cnf <<'CNF'
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
[leaf]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
[none]
CNF

key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1.key" 2>/dev/null; }
csr() { openssl req -new -key "$1.key" -subj "$2" -out "$1.csr"; }

key root
openssl req -x509 -new -key root.key -subj "/O=Quorin Test/CN=Bundlor Test Root CA" -days 3650 \
  -set_serial 0x1001 -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" -out root.pem

sign() {  # name subject issuer serial extensions
  key "$1"
  csr "$1" "$2"
  openssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -set_serial "$4" -days 3650 \
    -extfile ext.cnf -extensions "$5" -out "$1.pem" 2>/dev/null
}
sign inter "/O=Quorin Test/CN=Bundlor Test Intermediate CA" root 0x2002 ca
sign leaf "/O=Quorin Test/CN=Bundlor Test Leaf" inter 0x3003 leaf
sign other "/O=Quorin Test/CN=Bundlor Test Other Leaf" inter 0x3004 leaf
sign plain "/O=Quorin Test/CN=Bundlor Test Plain" root 0x4005 none

for c in root inter leaf other plain; do
  openssl x509 -in "$c.pem" -outform DER -out "$c.der"
  printf '%s %s\n' "$c.der" \
    "$(openssl x509 -in "$c.pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')" >> fingerprints.txt
done
cat leaf.pem inter.pem root.pem > chain.pem
openssl crl2pkcs7 -nocrl -certfile chain.pem -outform DER -out chain.p7b
printf 'this is not a certificate, only some text\n' > garbage.bin
head -c 100 leaf.der > truncated.der
rm -f ./*.csr ./*.srl
