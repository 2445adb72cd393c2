// SPDX-License-Identifier: MIT
#include "epub/package/GeneratedTexts.h"

#include <algorithm>
#include <array>

namespace EPub {

namespace {

constexpr size_t kLanguageCount = 15;
using Texts = std::array<std::string_view, kLanguageCount>;

constexpr std::array<std::string_view, kLanguageCount> kLanguages = {
    "en", "fr", "de", "es", "it", "pt", "nl", "sv", "pl", "ru", "ja", "zh", "ko", "ar", "he"};

struct Row {
    std::string_view key;
    Texts texts; // in the order of kLanguages
};

// clang-format off
constexpr Row kRows[] = {
    {"EPUB:Table of Contents", {"Table of Contents", "Table des matières", "Inhaltsverzeichnis", "Índice", "Indice", "Índice", "Inhoudsopgave", "Innehållsförteckning", "Spis treści", "Содержание", "目次", "目录", "목차", "جدول المحتويات", "תוכן העניינים"}},
    {"EPUB:Page List", {"Page List", "Liste des pages", "Seitenliste", "Lista de páginas", "Elenco delle pagine", "Lista de páginas", "Paginalijst", "Sidlista", "Lista stron", "Список страниц", "ページ一覧", "页码列表", "페이지 목록", "قائمة الصفحات", "רשימת עמודים"}},
    {"EPUB:Page", {"Page %1", "Page %1", "Seite %1", "Página %1", "Pagina %1", "Página %1", "Pagina %1", "Sida %1", "Strona %1", "Страница %1", "%1ページ", "第%1页", "%1페이지", "صفحة %1", "עמוד %1"}},
    {"EPUB:Landmarks", {"Landmarks", "Repères", "Orientierungspunkte", "Puntos de referencia", "Punti di riferimento", "Pontos de referência", "Oriëntatiepunten", "Orienteringspunkter", "Punkty orientacyjne", "Ориентиры", "ランドマーク", "地标", "랜드마크", "المعالم", "ציוני דרך"}},
    {"EPUB:CoverTitle", {"Cover", "Couverture", "Umschlag", "Portada", "Copertina", "Capa", "Omslag", "Omslag", "Okładka", "Обложка", "表紙", "封面", "표지", "الغلاف", "כריכה"}},
    {"EPUB:CoverAltText", {"Cover", "Couverture", "Umschlag", "Portada", "Copertina", "Capa", "Omslag", "Omslag", "Okładka", "Обложка", "表紙", "封面", "표지", "الغلاف", "כריכה"}},
    {"EPUB:Description", {"Description", "Description", "Beschreibung", "Descripción", "Descrizione", "Descrição", "Beschrijving", "Beskrivning", "Opis", "Описание", "説明", "描述", "설명", "الوصف", "תיאור"}},
    // Landmarks, keyed by their style names.
    {"EPUB:Cover", {"Cover", "Couverture", "Umschlag", "Portada", "Copertina", "Capa", "Omslag", "Omslag", "Okładka", "Обложка", "表紙", "封面", "표지", "الغلاف", "כריכה"}},
    {"EPUB:Start of Content", {"Start of Content", "Début du contenu", "Beginn des Inhalts", "Inicio del contenido", "Inizio del contenuto", "Início do conteúdo", "Begin van de inhoud", "Början av innehållet", "Początek treści", "Начало текста", "本文の開始", "正文开始", "본문 시작", "بداية المحتوى", "תחילת התוכן"}},
    {"EPUB:Title Page", {"Title Page", "Page de titre", "Titelseite", "Página de título", "Frontespizio", "Folha de rosto", "Titelpagina", "Titelsida", "Strona tytułowa", "Титульный лист", "タイトルページ", "扉页", "속표지", "صفحة العنوان", "עמוד השער"}},
    {"EPUB:Front Matter", {"Front Matter", "Pages liminaires", "Titelei", "Páginas preliminares", "Pagine iniziali", "Páginas preliminares", "Voorwerk", "Inledande sidor", "Strony wstępne", "Вводная часть", "前付け", "前置部分", "앞부분", "الصفحات التمهيدية", "עמודי פתיחה"}},
    {"EPUB:Back Matter", {"Back Matter", "Pages de fin", "Schlussteil", "Páginas finales", "Pagine finali", "Páginas finais", "Nawerk", "Avslutande sidor", "Strony końcowe", "Заключительная часть", "後付け", "后置部分", "뒷부분", "الصفحات الختامية", "עמודי סיום"}},
    {"EPUB:List of Illustrations", {"List of Illustrations", "Table des illustrations", "Abbildungsverzeichnis", "Índice de ilustraciones", "Indice delle illustrazioni", "Lista de ilustrações", "Lijst van illustraties", "Bildförteckning", "Spis ilustracji", "Список иллюстраций", "図版一覧", "插图目录", "그림 목록", "قائمة الرسوم التوضيحية", "רשימת איורים"}},
    {"EPUB:List of Tables", {"List of Tables", "Liste des tableaux", "Tabellenverzeichnis", "Índice de tablas", "Indice delle tabelle", "Lista de tabelas", "Lijst van tabellen", "Tabellförteckning", "Spis tabel", "Список таблиц", "表一覧", "表格目录", "표 목록", "قائمة الجداول", "רשימת טבלאות"}},
    {"EPUB:Preface", {"Preface", "Préface", "Vorwort", "Prefacio", "Prefazione", "Prefácio", "Voorwoord", "Förord", "Przedmowa", "Предисловие", "序文", "序言", "서문", "تصدير", "הקדמה"}},
    {"EPUB:Bibliography", {"Bibliography", "Bibliographie", "Literaturverzeichnis", "Bibliografía", "Bibliografia", "Bibliografia", "Bibliografie", "Litteraturförteckning", "Bibliografia", "Библиография", "参考文献", "参考文献", "참고 문헌", "المراجع", "ביבליוגרפיה"}},
    {"EPUB:Index", {"Index", "Index", "Register", "Índice alfabético", "Indice analitico", "Índice remissivo", "Register", "Register", "Indeks", "Указатель", "索引", "索引", "색인", "الفهرس", "מפתח"}},
    {"EPUB:Glossary", {"Glossary", "Glossaire", "Glossar", "Glosario", "Glossario", "Glossário", "Verklarende woordenlijst", "Ordlista", "Słowniczek", "Глоссарий", "用語集", "术语表", "용어집", "مسرد المصطلحات", "מילון מונחים"}},
    {"EPUB:Acknowledgements", {"Acknowledgements", "Remerciements", "Danksagung", "Agradecimientos", "Ringraziamenti", "Agradecimentos", "Dankwoord", "Tack", "Podziękowania", "Благодарности", "謝辞", "致谢", "감사의 글", "شكر وتقدير", "תודות"}},
    {"EPUB:Copyright", {"Copyright", "Droits d’auteur", "Impressum", "Derechos de autor", "Diritti d’autore", "Direitos autorais", "Auteursrecht", "Upphovsrätt", "Prawa autorskie", "Авторские права", "著作権", "版权", "저작권", "حقوق النشر", "זכויות יוצרים"}},
    {"EPUB:Afterword", {"Afterword", "Postface", "Nachwort", "Posfacio", "Postfazione", "Posfácio", "Nawoord", "Efterord", "Posłowie", "Послесловие", "あとがき", "后记", "후기", "كلمة ختامية", "אחרית דבר"}},
    {"EPUB:Appendix", {"Appendix", "Annexe", "Anhang", "Apéndice", "Appendice", "Apêndice", "Bijlage", "Bilaga", "Dodatek", "Приложение", "付録", "附录", "부록", "ملحق", "נספח"}},
    {"EPUB:Conclusion", {"Conclusion", "Conclusion", "Schluss", "Conclusión", "Conclusione", "Conclusão", "Conclusie", "Slutsats", "Zakończenie", "Заключение", "結論", "结论", "결론", "الخلاصة", "סיכום"}},
    {"EPUB:Credits", {"Credits", "Crédits", "Mitwirkende", "Créditos", "Crediti", "Créditos", "Medewerkers", "Medverkande", "Twórcy", "Участники", "クレジット", "制作人员", "크레딧", "المساهمون", "קרדיטים"}},
    {"EPUB:Endnotes", {"Endnotes", "Notes de fin", "Endnoten", "Notas finales", "Note di chiusura", "Notas finais", "Eindnoten", "Slutnoter", "Przypisy końcowe", "Примечания", "後注", "尾注", "미주", "الحواشي الختامية", "הערות סיום"}},
    {"EPUB:Epilogue", {"Epilogue", "Épilogue", "Epilog", "Epílogo", "Epilogo", "Epílogo", "Epiloog", "Epilog", "Epilog", "Эпилог", "エピローグ", "尾声", "에필로그", "الخاتمة", "אפילוג"}},
    {"EPUB:Errata", {"Errata", "Errata", "Druckfehlerverzeichnis", "Fe de erratas", "Errata corrige", "Errata", "Errata", "Rättelser", "Errata", "Список опечаток", "正誤表", "勘误表", "정오표", "تصويبات", "תיקונים"}},
    {"EPUB:Foreword", {"Foreword", "Avant-propos", "Geleitwort", "Preámbulo", "Premessa", "Apresentação", "Ten geleide", "Företal", "Słowo wstępne", "Вступительное слово", "まえがき", "前言", "머리말", "تقديم", "פתח דבר"}},
    {"EPUB:Introduction", {"Introduction", "Introduction", "Einleitung", "Introducción", "Introduzione", "Introdução", "Inleiding", "Inledning", "Wprowadzenie", "Введение", "序論", "引言", "서론", "مقدمة", "מבוא"}},
    {"EPUB:Prologue", {"Prologue", "Prologue", "Prolog", "Prólogo", "Prologo", "Prólogo", "Proloog", "Prolog", "Prolog", "Пролог", "プロローグ", "序章", "프롤로그", "استهلال", "פרולוג"}},
    // The accessibility summary, one sentence per statement so that each translates whole.
    {"EPUB:Summary:TableOfContents", {"The publication has a table of contents.", "La publication comporte une table des matières.", "Die Publikation hat ein Inhaltsverzeichnis.", "La publicación tiene un índice.", "La pubblicazione ha un indice.", "A publicação tem um índice.", "De publicatie heeft een inhoudsopgave.", "Publikationen har en innehållsförteckning.", "Publikacja ma spis treści.", "В публикации есть оглавление.", "この出版物には目次があります。", "本出版物有目录。", "이 출판물에는 목차가 있습니다.", "يحتوي المنشور على جدول محتويات.", "בפרסום יש תוכן עניינים."}},
    {"EPUB:Summary:Headings", {"Headings structure the text for navigation.", "Des titres structurent le texte pour la navigation.", "Überschriften gliedern den Text für die Navigation.", "Los encabezados estructuran el texto para la navegación.", "I titoli strutturano il testo per la navigazione.", "Os títulos estruturam o texto para a navegação.", "Koppen structureren de tekst voor navigatie.", "Rubriker strukturerar texten för navigering.", "Nagłówki porządkują tekst na potrzeby nawigacji.", "Заголовки структурируют текст для навигации.", "見出しによって本文を移動できます。", "标题构成文本结构，便于导航。", "제목으로 본문을 탐색할 수 있습니다.", "تنظّم العناوين النص لتسهيل التنقل.", "כותרות מארגנות את הטקסט לניווט."}},
    {"EPUB:Summary:PageNumbers", {"The page numbers of the print edition are marked.", "Les numéros de page de l’édition imprimée sont indiqués.", "Die Seitenzahlen der Druckausgabe sind markiert.", "Están marcados los números de página de la edición impresa.", "I numeri di pagina dell’edizione a stampa sono indicati.", "Os números de página da edição impressa estão assinalados.", "De paginanummers van de gedrukte uitgave zijn gemarkeerd.", "Sidnumren från den tryckta utgåvan är markerade.", "Numery stron wydania drukowanego są oznaczone.", "Номера страниц печатного издания отмечены.", "印刷版のページ番号が示されています。", "标有印刷版的页码。", "인쇄본의 쪽 번호가 표시되어 있습니다.", "أرقام صفحات الطبعة الورقية مُعلَّمة.", "מספרי העמודים של המהדורה המודפסת מסומנים."}},
    {"EPUB:Summary:AltText", {"Pictures have text alternatives.", "Les images ont des alternatives textuelles.", "Bilder haben Textalternativen.", "Las imágenes tienen alternativas textuales.", "Le immagini hanno alternative testuali.", "As imagens têm alternativas textuais.", "Afbeeldingen hebben tekstalternatieven.", "Bilder har textalternativ.", "Obrazy mają alternatywy tekstowe.", "У изображений есть текстовые альтернативы.", "画像には代替テキストがあります。", "图片有替代文本。", "이미지에 대체 텍스트가 있습니다.", "للصور بدائل نصية.", "לתמונות יש חלופות טקסט."}},
    {"EPUB:Summary:LongDescriptions", {"Complex pictures have long descriptions.", "Les images complexes ont des descriptions détaillées.", "Komplexe Bilder haben ausführliche Beschreibungen.", "Las imágenes complejas tienen descripciones extensas.", "Le immagini complesse hanno descrizioni estese.", "As imagens complexas têm descrições detalhadas.", "Complexe afbeeldingen hebben uitgebreide beschrijvingen.", "Komplexa bilder har utförliga beskrivningar.", "Złożone obrazy mają rozszerzone opisy.", "У сложных изображений есть развёрнутые описания.", "複雑な画像には詳細な説明があります。", "复杂图片有详细描述。", "복잡한 이미지에 자세한 설명이 있습니다.", "للصور المعقدة أوصاف مفصلة.", "לתמונות מורכבות יש תיאורים מפורטים."}},
    {"EPUB:Summary:ReadingOrder", {"The text follows a logical reading order and can be resized and restyled.", "Le texte suit un ordre de lecture logique et peut être agrandi et remis en forme.", "Der Text folgt einer logischen Lesereihenfolge und lässt sich vergrößern und umgestalten.", "El texto sigue un orden de lectura lógico y se puede ampliar y cambiar de estilo.", "Il testo segue un ordine di lettura logico e può essere ingrandito e riformattato.", "O texto segue uma ordem de leitura lógica e pode ser ampliado e reformatado.", "De tekst volgt een logische leesvolgorde en kan worden vergroot en opnieuw opgemaakt.", "Texten följer en logisk läsordning och kan förstoras och formateras om.", "Tekst ma logiczną kolejność czytania i można go powiększać oraz zmieniać jego wygląd.", "Текст следует логическому порядку чтения; его можно увеличивать и менять его оформление.", "本文は論理的な読み順に従い、文字の拡大やスタイルの変更ができます。", "文本遵循合理的阅读顺序，可放大文字并更改样式。", "본문은 논리적인 읽기 순서를 따르며 글자 크기와 스타일을 바꿀 수 있습니다.", "يتبع النص ترتيب قراءة منطقيًا ويمكن تكبيره وتغيير تنسيقه.", "הטקסט ערוך בסדר קריאה הגיוני, וניתן להגדיל אותו ולשנות את עיצובו."}},
    {"EPUB:Summary:MissingAltText", {"Some pictures have no text alternative.", "Certaines images n’ont pas d’alternative textuelle.", "Einige Bilder haben keine Textalternative.", "Algunas imágenes no tienen alternativa textual.", "Alcune immagini non hanno un’alternativa testuale.", "Algumas imagens não têm alternativa textual.", "Sommige afbeeldingen hebben geen tekstalternatief.", "Vissa bilder saknar textalternativ.", "Niektóre obrazy nie mają alternatywy tekstowej.", "У некоторых изображений нет текстовой альтернативы.", "一部の画像には代替テキストがありません。", "部分图片没有替代文本。", "일부 이미지에는 대체 텍스트가 없습니다.", "بعض الصور ليس لها بديل نصي.", "לחלק מהתמונות אין חלופת טקסט."}},
    {"EPUB:Summary:NoHazards", {"The publication has no known hazards.", "La publication ne présente aucun danger connu.", "Die Publikation birgt keine bekannten Gefahren.", "La publicación no presenta riesgos conocidos.", "La pubblicazione non presenta rischi noti.", "A publicação não apresenta riscos conhecidos.", "De publicatie heeft geen bekende risico’s.", "Publikationen har inga kända risker.", "Publikacja nie stwarza znanych zagrożeń.", "Публикация не содержит известных опасностей.", "既知の危険要素はありません。", "本出版物没有已知的危害。", "알려진 위험 요소가 없습니다.", "لا يحتوي المنشور على مخاطر معروفة.", "אין בפרסום סכנות ידועות."}},
    {"EPUB:Summary:Conformance", {"The publication is meant to meet %1.", "La publication vise la conformité à %1.", "Die Publikation soll %1 erfüllen.", "La publicación pretende cumplir %1.", "La pubblicazione intende soddisfare %1.", "A publicação pretende cumprir %1.", "De publicatie is bedoeld om te voldoen aan %1.", "Publikationen är avsedd att uppfylla %1.", "Publikacja ma spełniać %1.", "Публикация должна соответствовать %1.", "この出版物は%1への適合を目指しています。", "本出版物旨在符合 %1。", "이 출판물은 %1 준수를 목표로 합니다.", "يهدف المنشور إلى الامتثال لمعيار %1.", "הפרסום נועד לעמוד ב-%1."}},
    {"EPUB:Summary:Checked", {"Checked automatically: text alternatives of pictures, contrast of text, headings and the language of the text. No person has reviewed the publication.", "Vérifié automatiquement\u00a0: alternatives textuelles des images, contraste du texte, titres et langue du texte. Aucune personne n’a relu la publication.", "Automatisch geprüft: Textalternativen von Bildern, Textkontrast, Überschriften und die Sprache des Textes. Kein Mensch hat die Publikation geprüft.", "Comprobado automáticamente: alternativas textuales de las imágenes, contraste del texto, encabezados e idioma del texto. Ninguna persona ha revisado la publicación.", "Verificato automaticamente: alternative testuali delle immagini, contrasto del testo, titoli e lingua del testo. Nessuna persona ha revisionato la pubblicazione.", "Verificado automaticamente: alternativas textuais das imagens, contraste do texto, títulos e idioma do texto. Nenhuma pessoa reviu a publicação.", "Automatisch gecontroleerd: tekstalternatieven van afbeeldingen, tekstcontrast, koppen en de taal van de tekst. Niemand heeft de publicatie beoordeeld.", "Automatiskt kontrollerat: textalternativ för bilder, textkontrast, rubriker och textens språk. Ingen person har granskat publikationen.", "Sprawdzono automatycznie: alternatywy tekstowe obrazów, kontrast tekstu, nagłówki i język tekstu. Publikacji nie sprawdził człowiek.", "Проверено автоматически: текстовые альтернативы изображений, контраст текста, заголовки и язык текста. Человек публикацию не проверял.", "自動で確認した項目：画像の代替テキスト、文字のコントラスト、見出し、本文の言語。人による確認は行われていません。", "已自动检查：图片的替代文本、文字对比度、标题和文本语言。未经人工审核。", "자동으로 확인한 항목: 이미지의 대체 텍스트, 글자 대비, 제목, 본문의 언어. 사람이 검토하지 않았습니다.", "تم التحقق تلقائيًا من: البدائل النصية للصور، وتباين النص، والعناوين، ولغة النص. لم يراجع أي شخص المنشور.", "נבדק אוטומטית: חלופות טקסט לתמונות, ניגודיות הטקסט, כותרות ושפת הטקסט. הפרסום לא נבדק בידי אדם."}},
};
// clang-format on

// The primary subtag, lowered: "fr" for "fr-CA", "FR" or "fr_CA".
std::string PrimarySubtag(std::string_view tag) {
    std::string primary(tag.substr(0, tag.find_first_of("-_")));
    for (char& c : primary)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return primary;
}

} // namespace

std::span<const std::string_view> GeneratedTextLanguages() noexcept {
    return kLanguages;
}

StringT GeneratedText(std::string_view key, std::string_view languageTag) {
    const auto* row = std::ranges::find(kRows, key, &Row::key);
    if (row == std::end(kRows))
        return {};
    const auto* language = std::ranges::find(kLanguages, PrimarySubtag(languageTag));
    const size_t column =
        language == kLanguages.end() ? 0 : static_cast<size_t>(language - kLanguages.begin());
    return StringT(row->texts[column]);
}

} // namespace EPub
