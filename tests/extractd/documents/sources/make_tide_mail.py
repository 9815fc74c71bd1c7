# Writes tide_mail.mbox (committed as tide_mail, a mail folder without extension): two messages as a mail program stores them in a folder.
import mailbox
from email.message import EmailMessage

box = mailbox.mbox("tide_mail.mbox", create=True)
first = EmailMessage()
first["From"] = "Ann Sender <ann@example.org>"
first["To"] = "Bob Receiver <bob@example.org>"
first["Subject"] = "Naïve question about the tides"
first.set_content("The naïve skipper asked about the neap tide schedule.\nFrom the harbour master, with thanks.\n", charset="utf-8", cte="quoted-printable")
box.add(first)
second = EmailMessage()
second["From"] = "Bob Receiver <bob@example.org>"
second["To"] = "Ann Sender <ann@example.org>"
second["Subject"] = "Re: tides"
second.set_content("Spring tides arrive after the full moon.\n", charset="utf-8", cte="base64")
second.add_attachment("Attached almanac lists slack water times.\n".encode(), maintype="text", subtype="plain", filename="almanac.txt")
box.add(second)
box.flush()
box.close()
