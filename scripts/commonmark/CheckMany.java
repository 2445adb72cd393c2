// SPDX-License-Identifier: MIT
// Runs EPUBCheck on many EPUBs in one Java process (a process per file would spend most of its
// time starting Java). Prints "FILE: clean" or the file's messages; exits 1 when any file has
// an error or a warning.
import com.adobe.epubcheck.tool.EpubChecker;

import java.io.ByteArrayOutputStream;
import java.io.PrintStream;

public class CheckMany {
    public static void main(String[] files) {
        PrintStream out = System.out;
        PrintStream err = System.err;
        int failed = 0;
        for (String file : files) {
            ByteArrayOutputStream report = new ByteArrayOutputStream();
            PrintStream capture = new PrintStream(report);
            System.setOut(capture);
            System.setErr(capture);
            int status = new EpubChecker().run(new String[] {file});
            capture.flush();
            System.setOut(out);
            System.setErr(err);
            if (status == 0 && !report.toString().contains("WARNING")) {
                out.println(file + ": clean");
            } else {
                ++failed;
                out.println(file + ": FAILED");
                for (String line : report.toString().split("\n"))
                    if (line.startsWith("ERROR") || line.startsWith("WARNING") || line.startsWith("FATAL"))
                        out.println("  " + line);
            }
        }
        out.println(failed + " of " + files.length + " EPUBs with errors or warnings");
        System.exit(failed == 0 ? 0 : 1);
    }
}
